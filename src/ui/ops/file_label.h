#pragma once
// TFileLabel: a label showing a path, shortened in the middle ("/.../b/file")
// when it is wider than the label. Acts on nothing: the bytes stay with the owner.

#include <QLabel>
#include <string>

#include "core/lists/path_label.h"

namespace arbel::ui {

class TFileLabel : public QLabel {
    Q_OBJECT
public:
    explicit TFileLabel(QWidget* parent = nullptr);
    void setFileName(const std::string& path);
    const std::string& FileName() const { return path_; }
    void setDirection(lists::TDirection direction);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void refit();
    std::string path_;
    lists::TDirection direction_ = lists::TDirection::drFromLeft;
};

}  // namespace arbel::ui
