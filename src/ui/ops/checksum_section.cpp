#include "ui/ops/checksum_section.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

#include "ui/app/background_job.h"
#include "ui/app/scope_guards.h"

namespace arbel::ui {

ChecksumSection::ChecksumSection(QWidget* parent) : QGroupBox(QStringLiteral("Checksum"), parent) {
    setObjectName(QStringLiteral("checksum"));
    auto* grid = new QGridLayout(this);
    kindBox = new QComboBox(this);
    kindBox->addItem(QStringLiteral("SHA-256"), int(ChecksumKind::Sha256));
    kindBox->addItem(QStringLiteral("MD5"), int(ChecksumKind::Md5));
    computeButton = new QPushButton(QStringLiteral("C&ompute"), this);
    stopButton = new QPushButton(QStringLiteral("&Stop"), this);
    stopButton->setEnabled(false);
    progress = new QProgressBar(this);
    progress->setRange(0, 1000);
    progress->setVisible(false);
    digestField = new QLineEdit(this);
    digestField->setReadOnly(true);
    digestField->setMinimumWidth(420);
    compareField = new QLineEdit(this);
    compareField->setPlaceholderText(QStringLiteral("Paste a checksum to compare"));
    compareLabel = new QLabel(this);
    statusLabel = new QLabel(this);

    grid->addWidget(kindBox, 0, 0);
    grid->addWidget(computeButton, 0, 1);
    grid->addWidget(stopButton, 0, 2);
    grid->addWidget(progress, 1, 0, 1, 3);
    grid->addWidget(digestField, 2, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Compare with:"), this), 3, 0);
    grid->addWidget(compareField, 3, 1, 1, 2);
    grid->addWidget(compareLabel, 4, 0, 1, 3);
    grid->addWidget(statusLabel, 5, 0, 1, 3);

    connect(computeButton, &QPushButton::clicked, this, &ChecksumSection::compute);
    connect(stopButton, &QPushButton::clicked, this, &ChecksumSection::stop);
    connect(compareField, &QLineEdit::textChanged, this, &ChecksumSection::showComparison);
    // Another kind of sum makes the one shown meaningless.
    connect(kindBox, &QComboBox::currentIndexChanged, this, [this] {
        if (running()) return;
        digest_.clear();
        digestField->clear();
        showComparison();
    });
}

ChecksumSection::~ChecksumSection() = default;

void ChecksumSection::setFile(std::string path, uint64_t size) {
    stop();
    path_ = std::move(path);
    size_ = size;
    digest_.clear();
    digestField->clear();
    statusLabel->clear();
    showComparison();
}

bool ChecksumSection::running() const {
    return job_ && job_->running();
}

void ChecksumSection::compute() {
    if (running() || path_.empty()) return;
    digest_.clear();
    digestField->clear();
    statusLabel->clear();
    showComparison();
    // A job of its own each time: a stopped one may still be winding down.
    if (job_) job_->deleteLater();
    job_ = new BackgroundJob(this);
    done_ = std::make_shared<std::atomic<uint64_t>>(0);
    auto result = std::make_shared<Result<std::string>>(Error{});
    const auto kind = static_cast<ChecksumKind>(kindBox->currentData().toInt());
    job_->setPoll([this] { showProgress(); });
    computeButton->setEnabled(false);
    kindBox->setEnabled(false);
    stopButton->setEnabled(true);
    progress->setValue(0);
    progress->setVisible(true);
    job_->start(
        [path = path_, kind, done = done_, result](JobContext& context) {
            *result = ops::itemChecksum(path, kind, context.cancelToken(), done.get());
        },
        [this, result] {
            computeButton->setEnabled(true);
            kindBox->setEnabled(true);
            stopButton->setEnabled(false);
            progress->setVisible(false);
            if (*result) {
                digest_ = QString::fromStdString(result->value());
                digestField->setText(digest_);
            } else if (result->error().code == ECANCELED) {
                statusLabel->setText(QStringLiteral("Stopped."));
            } else {
                statusLabel->setText(displayPath(result->error().describe()));
            }
            showComparison();
            emit finished();
        });
}

void ChecksumSection::stop() {
    if (running()) job_->cancel();
}

void ChecksumSection::showProgress() {
    if (!done_ || size_ == 0) return;
    const uint64_t done = done_->load(std::memory_order_relaxed);
    progress->setValue(int(std::min<uint64_t>(1000, done * 1000 / size_)));
}

void ChecksumSection::showComparison() {
    const QByteArray pasted = compareField->text().toUtf8();
    const QByteArray digest = digest_.toLatin1();
    if (digest.isEmpty()) {
        compareLabel->setText(
            pasted.trimmed().isEmpty() ? QString() : QStringLiteral("Compute the checksum to compare."));
        return;
    }
    switch (ops::compareChecksum(std::string_view(digest.constData(), std::size_t(digest.size())),
                                 std::string_view(pasted.constData(), std::size_t(pasted.size())))) {
        case ops::ChecksumMatch::Nothing:
            compareLabel->clear();
            break;
        case ops::ChecksumMatch::Same:
            compareLabel->setText(QStringLiteral("Matches"));
            break;
        case ops::ChecksumMatch::Different:
            compareLabel->setText(QStringLiteral("Does not match"));
            break;
    }
}

}  // namespace arbel::ui
