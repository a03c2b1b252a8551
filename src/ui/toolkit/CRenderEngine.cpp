#include "ui/toolkit/CRenderEngine.h"

#include "ui/toolkit/CResourceManager.h"

#include <QFileInfo>
#include <QIcon>
#include <QPixmap>
#include <QRegularExpression>

namespace quaro {
namespace {

QRect ParseRect(const QString& text) {
    const QStringList parts = text.split(u',');
    if (parts.size() != 4) {
        return {};
    }
    const int left = parts[0].trimmed().toInt();
    const int top = parts[1].trimmed().toInt();
    const int right = parts[2].trimmed().toInt();
    const int bottom = parts[3].trimmed().toInt();
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

}  // namespace

ImageDescription ImageDescription::Parse(const QString& text) {
    ImageDescription description;
    if (!text.contains(u'\'')) {
        description.file = text.trimmed();
        return description;
    }
    static const QRegularExpression kPair(QStringLiteral("(\\w+)\\s*=\\s*'([^']*)'"));
    for (const QRegularExpressionMatch& match : kPair.globalMatch(text)) {
        const QString key = match.captured(1).toLower();
        const QString value = match.captured(2);
        if (key == u"file" || key == u"res") {
            description.file = value;
        } else if (key == u"source") {
            description.source = ParseRect(value);
        } else if (key == u"dest") {
            description.dest = ParseRect(value);
        } else if (key == u"fade") {
            description.fade = std::clamp(value.toInt(), 0, 255);
        }
    }
    return description;
}

bool CRenderEngine::DrawImageString(QPainter& painter, const QRect& area, const QString& text,
                                    CResourceManager* resources) {
    const ImageDescription description = ImageDescription::Parse(text);
    if (description.file.isEmpty()) {
        return false;
    }
    QRect target = area;
    if (!description.dest.isNull()) {
        target = description.dest.translated(area.topLeft());
    }
    if (description.file.endsWith(u".svg", Qt::CaseInsensitive) && description.source.isNull()) {
        // Vector pictures are drawn at the size they are shown, so they stay sharp.
        const QIcon icon =
            resources != nullptr ? resources->GetIcon(description.file) : QIcon(description.file);
        if (icon.isNull()) {
            return false;
        }
        painter.save();
        painter.setOpacity(painter.opacity() * description.fade / 255.0);
        icon.paint(&painter, target);
        painter.restore();
        return true;
    }
    QPixmap picture;
    if (resources != nullptr && description.source.isNull()) {
        // A whole picture is scaled once to the size it fills, so a large one shown smaller is
        // neither kept at full size nor filtered again at every paint.
        const qreal ratio =
            painter.device() != nullptr ? painter.device()->devicePixelRatio() : 1.0;
        picture = resources->GetImageAt(description.file, target.size() * ratio);
    } else {
        picture = resources != nullptr ? resources->GetImage(description.file)
                                       : QPixmap(description.file);
    }
    if (picture.isNull()) {
        return false;
    }
    const QRect source = description.source.isNull() ? picture.rect() : description.source;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setOpacity(painter.opacity() * description.fade / 255.0);
    painter.drawPixmap(target, picture, source);
    painter.restore();
    return true;
}

}  // namespace quaro
