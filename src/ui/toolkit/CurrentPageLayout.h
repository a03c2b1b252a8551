#pragma once

#include <QStackedLayout>

namespace quaro {

// A stacked layout that shows one page at a time and sizes itself by that page alone, as the
// skin's tab layouts are meant: Qt's own asks every page for its sizes, which styles and
// measures pages nobody has opened (most of a device page's controls). A tab whose page needs
// more room than the current one grows its container when it is selected.
class CurrentPageLayout : public QStackedLayout {
public:
    CurrentPageLayout();

    QSize sizeHint() const override;
    QSize minimumSize() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
};

}  // namespace quaro
