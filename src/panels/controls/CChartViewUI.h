#pragma once

#include "ui/toolkit/CControlUI.h"

#include <vector>

namespace quaro {

// A pie chart or a histogram of named values.
class CChartViewUI : public CControlOn<QWidget> {
public:
    enum class View { Pie = 0, Histogram = 1 };
    struct Item {
        QString name;
        double value = 0;
    };

    explicit CChartViewUI(QWidget* parent = nullptr);

    void AddItem(const QString& name, double value);
    void RemoveAllItems() { m_items.clear(); }
    const std::vector<Item>& Items() const { return m_items; }
    View GetView() const { return m_view; }

    // The pie colour of item i.
    static QColor PaletteColour(int index);
    void Paint(QPainter& painter, const QRect& area);

    bool SetAttribute(const QString& name, const QString& value) override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void PaintPie(QPainter& painter, const QRect& area);
    void PaintHistogram(QPainter& painter, const QRect& area);
    void PaintLabel(QPainter& painter, const QRect& box, const QString& text, int flags);

    std::vector<Item> m_items;
    View m_view = View::Pie;
    QString m_shadowImage;
    int m_shadowHeight = 0;
    QString m_pillarImage;
    int m_pillarWidth = 0;
    bool m_showText = true;
    bool m_showHtml = false;
    int m_font = -1;
};

}  // namespace quaro
