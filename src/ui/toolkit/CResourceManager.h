#pragma once

#include <QFont>
#include <QHash>
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <functional>
#include <map>
#include <optional>
#include <set>

namespace quaro {

class CControlUI;

// The skin folder as the windows see it: the catalogue of layouts ("res.xml"), pictures, the
// loaded language file and the shared font table. One per process, made by the composition
// root and handed to every window; controls built from layouts remember it so a language switch
// can re-resolve their texts.
class CResourceManager {
public:
    CResourceManager() = default;
    ~CResourceManager();
    CResourceManager(const CResourceManager&) = delete;
    CResourceManager& operator=(const CResourceManager&) = delete;

    // The skin folder; every relative layout, picture and language file is looked up in it.
    void SetResourcePath(const QString& folder);
    QString GetResourcePath() const { return m_path; }
    // Reads the catalogue mapping layout names ("XML_MAIN") to files. False when it is missing
    // or malformed; then names resolve as file names only.
    bool LoadResource(const QString& catalogue);
    // A catalogue name or a path relative to the skin folder, as an absolute file path.
    QString GetXmlPath(const QString& nameOrFile) const;
    QString GetFilePath(const QString& relativeOrAbsolute) const;
    // The picture at a skin-relative or absolute path; null when it does not load. Cached.
    QPixmap GetImage(const QString& file);
    // The whole picture scaled once to the pixel size it is drawn at. A large picture shown
    // smaller (the window's background) is then held only at that size, not also decoded at
    // full size. One size per picture is kept: the last one asked for. Null when it does not
    // load.
    QPixmap GetImageAt(const QString& file, const QSize& pixels);
    // What the pictures held for drawing take, full decodes and scaled copies together.
    qint64 HeldPictureBytes() const;
    // The same for pictures drawn at any size (SVG); null when the file does not load.
    QIcon GetIcon(const QString& file);

    // The skin's style sheet ("style.qss") with "${skin}" replaced by the skin folder, read once
    // for every window and menu that carries it.
    QString LoadStyleSheet();

    void SetLanguage(const QString& name) { m_language = name; }
    QString GetLanguage() const { return m_language; }
    // Replaces the text table with a language file of the skin folder. False when the file does
    // not load; the previous table is then kept.
    bool LoadLanguage(const QString& file);
    // The text of a language id; a window's text query may answer first; an unknown id shows as
    // itself so a missing text is visible rather than blank.
    QString GetText(const QString& id) const;
    using TextQuery = std::function<QString(const QString& id)>;
    void SetTextQueryInterface(TextQuery query) { m_textQuery = std::move(query); }
    // Every control that shows a language id takes its text again.
    void ReloadText();

    // Font table: ids are the layouts' "font" values. Sizes are pixel heights.
    void AddFont(int id, const QString& face, int size, bool bold, bool underline, bool italic,
                 bool shared = true);
    void SetDefaultFont(const QString& face, int size, bool bold, bool underline, bool italic,
                        bool shared = true);
    void RemoveAllFonts();
    QFont GetFont(int id) const;
    QFont GetDefaultFont() const { return m_defaultFont; }
    bool HasFont(int id) const { return m_fonts.count(id) != 0; }
    // Pushes the default font to the application and the table fonts to every control.
    void ApplyFonts();

    void RememberControl(CControlUI* control) { m_controls.insert(control); }
    void ForgetControl(CControlUI* control) { m_controls.erase(control); }

private:
    QString m_path;
    std::map<QString, QString> m_catalogue;
    QHash<QString, QPixmap> m_images;
    QHash<QString, QPixmap> m_scaledImages;
    QHash<QString, QIcon> m_icons;
    std::optional<QString> m_styleSheet;
    QString m_language;
    QHash<QString, QString> m_texts;
    TextQuery m_textQuery;
    std::map<int, QFont> m_fonts;
    QFont m_defaultFont;
    std::set<CControlUI*> m_controls;
};

}  // namespace quaro
