#pragma once

#include <QPainter>
#include <QRect>
#include <QString>

namespace quaro {

class CResourceManager;

// A layout's image description: either a bare file name, or "file='...'" (or "res='...'")
// followed by optional "source='l,t,r,b'", "dest='l,t,r,b'" and "fade='0..255'".
struct ImageDescription {
    QString file;
    QRect source;  // null: the whole picture
    QRect dest;    // null: the whole target rectangle; else relative to its top-left corner
    int fade = 255;

    static ImageDescription Parse(const QString& text);
};

class CRenderEngine {
public:
    // Draws the described picture into area. A picture that does not load draws nothing and
    // returns false.
    static bool DrawImageString(QPainter& painter, const QRect& area, const QString& description,
                                CResourceManager* resources);
};

}  // namespace quaro
