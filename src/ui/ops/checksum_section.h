#pragma once
// The properties window's "Checksum" section: SHA-256 (or MD5 on request) of a
// file's content, computed on a background job with its progress shown and a
// Stop button, and compared with a value the user pastes.

#include <QGroupBox>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "core/ops/item_properties.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace arbel::ui {

class BackgroundJob;

class ChecksumSection : public QGroupBox {
    Q_OBJECT
public:
    ChecksumSection(QWidget* parent = nullptr);
    ~ChecksumSection() override;

    // The file to sum and its size (for the progress); forgets an earlier result.
    void setFile(std::string path, uint64_t size);
    bool running() const;
    // The digest found (lower-case hex), empty until one is.
    const QString& digest() const { return digest_; }

    QComboBox* kindBox = nullptr;  // SHA-256, MD5
    QPushButton* computeButton = nullptr;
    QPushButton* stopButton = nullptr;
    QProgressBar* progress = nullptr;
    QLineEdit* digestField = nullptr;   // read-only, selectable
    QLineEdit* compareField = nullptr;  // "Compare with:" the pasted value
    QLabel* compareLabel = nullptr;     // "Matches" / "Does not match"
    QLabel* statusLabel = nullptr;      // "Stopped.", the failure's reason

public slots:
    void compute();
    void stop();

signals:
    // A computation ended (found, stopped or failed).
    void finished();

private:
    void showComparison();
    void showProgress();

    std::string path_;
    uint64_t size_ = 0;
    QString digest_;
    BackgroundJob* job_ = nullptr;
    std::shared_ptr<std::atomic<uint64_t>> done_;
};

}  // namespace arbel::ui
