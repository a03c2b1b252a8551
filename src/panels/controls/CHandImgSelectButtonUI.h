#pragma once

#include "ui/toolkit/CButtonUI.h"

#include <QRect>

namespace quaro {

// Shows a window of a picture larger than itself; dragging pans the window across it.
class CHandImgSelectButtonUI : public CButtonUI {
public:
    explicit CHandImgSelectButtonUI(QWidget* parent = nullptr);
    QString GetClass() const override { return QStringLiteral("HandImgSelectButton"); }

    // Loads the picture (skin-relative or absolute) and resets the window. A picture that does
    // not load keeps the previous one.
    bool LoadHandImage(const QString& file);
    QRect GetSourceWindow() const { return m_source; }
    QString GetImageString() const { return m_imageString; }
    // The pan of a pointer move by (dx, dy) while dragging.
    void PanBy(int dx, int dy);

    bool SetAttribute(const QString& name, const QString& value) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void UpdateImageString();

    QString m_handImage;
    QString m_imageString;
    QSize m_pictureSize;
    QRect m_source;  // left, top, right, bottom as the image string writes them
    bool m_dragging = false;
    QPoint m_last;
};

}  // namespace quaro
