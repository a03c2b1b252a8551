#include "ui/toolkit/CResourceManager.h"

#include "platform/Trace.h"
#include "ui/toolkit/CControlUI.h"

#include <QApplication>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>

namespace quaro {
namespace {

bool ReadDocument(const QString& path, QDomDocument& document) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    return static_cast<bool>(document.setContent(&file));
}

// A picture gains from a scaled copy of its own only when it is shown smaller both ways.
bool IsSmaller(const QSize& shown, const QSize& picture) {
    return !shown.isEmpty() && shown.width() < picture.width() && shown.height() < picture.height();
}

}  // namespace

CResourceManager::~CResourceManager() {
    // Controls that outlive the manager must not call back into it.
    const std::set<CControlUI*> controls = m_controls;
    for (CControlUI* control : controls) {
        control->SetResourceManager(nullptr);
    }
}

void CResourceManager::SetResourcePath(const QString& folder) {
    m_path = QDir(folder).absolutePath();
    m_images.clear();
    m_scaledImages.clear();
    m_icons.clear();
    m_styleSheet.reset();
}

bool CResourceManager::LoadResource(const QString& catalogue) {
    QDomDocument document;
    if (!ReadDocument(GetFilePath(catalogue), document)) {
        TraceFormat("LoadResource failed: %s", catalogue.toUtf8().constData());
        return false;
    }
    m_catalogue.clear();
    for (QDomElement element = document.documentElement().firstChildElement(); !element.isNull();
         element = element.nextSiblingElement()) {
        const QString name = element.attribute(QStringLiteral("name"));
        const QString path = element.attribute(QStringLiteral("path"));
        if (!name.isEmpty() && !path.isEmpty()) {
            m_catalogue[name] = path;
        }
    }
    return true;
}

QString CResourceManager::GetXmlPath(const QString& nameOrFile) const {
    auto found = m_catalogue.find(nameOrFile);
    return GetFilePath(found != m_catalogue.end() ? found->second : nameOrFile);
}

QString CResourceManager::GetFilePath(const QString& relativeOrAbsolute) const {
    QString path = relativeOrAbsolute;
    path.replace(u'\\', u'/');
    if (QFileInfo(path).isAbsolute()) {
        return path;
    }
    return m_path + u'/' + path;
}

QPixmap CResourceManager::GetImage(const QString& file) {
    auto found = m_images.constFind(file);
    if (found != m_images.constEnd()) {
        return *found;
    }
    QPixmap picture(GetFilePath(file));
    m_images.insert(file, picture);
    return picture;
}

QPixmap CResourceManager::GetImageAt(const QString& file, const QSize& pixels) {
    auto found = m_scaledImages.constFind(file);
    if (found != m_scaledImages.constEnd() && found->size() == pixels) {
        return *found;
    }
    // Whichever form serves the picture now is the only one kept: a window that grows past the
    // picture's size must not keep the copy scaled for its smaller size beside the full decode,
    // nor one that shrinks the full decode beside the new copy.
    const auto whole = [this, &file] {
        m_scaledImages.remove(file);
        return GetImage(file);
    };
    QImage original;
    if (auto held = m_images.constFind(file); held != m_images.constEnd()) {
        if (!IsSmaller(pixels, held->size())) {
            return whole();
        }
        original = held->toImage();
    } else {
        // Read as an image, not a pixmap: a pixmap read from a file also stays in the
        // process's pixmap cache, which would keep the full-size decode beside the scaled one.
        QImageReader reader(GetFilePath(file));
        if (reader.size().isValid() && !IsSmaller(pixels, reader.size())) {
            // Shown at its size or stretched: drawn from the one shared decode.
            return whole();
        }
        original = reader.read();
    }
    if (original.isNull()) {
        return {};
    }
    if (!IsSmaller(pixels, original.size())) {
        return whole();
    }
    QPixmap scaled = QPixmap::fromImage(
        original.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    m_scaledImages.insert(file, scaled);
    m_images.remove(file);
    return scaled;
}

qint64 CResourceManager::HeldPictureBytes() const {
    qint64 bytes = 0;
    for (const QHash<QString, QPixmap>* held : {&m_images, &m_scaledImages}) {
        for (const QPixmap& picture : *held) {
            bytes += static_cast<qint64>(picture.width()) * picture.height() * picture.depth() / 8;
        }
    }
    return bytes;
}

QIcon CResourceManager::GetIcon(const QString& file) {
    auto found = m_icons.constFind(file);
    if (found != m_icons.constEnd()) {
        return *found;
    }
    const QString path = GetFilePath(file);
    QIcon icon = QFileInfo::exists(path) ? QIcon(path) : QIcon();
    m_icons.insert(file, icon);
    return icon;
}

QString CResourceManager::LoadStyleSheet() {
    if (!m_styleSheet) {
        QFile file(GetFilePath(QStringLiteral("style.qss")));
        QString sheet;
        if (file.open(QIODevice::ReadOnly)) {
            sheet = QString::fromUtf8(file.readAll());
            sheet.replace(QStringLiteral("${skin}"), m_path);
        }
        m_styleSheet = sheet;
    }
    return *m_styleSheet;
}

bool CResourceManager::LoadLanguage(const QString& file) {
    QDomDocument document;
    if (!ReadDocument(GetFilePath(file), document)) {
        TraceFormat("LoadLanguage failed: %s", file.toUtf8().constData());
        return false;
    }
    QHash<QString, QString> texts;
    for (QDomElement element = document.documentElement().firstChildElement(); !element.isNull();
         element = element.nextSiblingElement()) {
        texts.insert(element.attribute(QStringLiteral("id")), element.text());
    }
    m_texts = std::move(texts);
    return true;
}

QString CResourceManager::GetText(const QString& id) const {
    if (m_textQuery) {
        QString answer = m_textQuery(id);
        if (!answer.isEmpty()) {
            return answer;
        }
    }
    auto found = m_texts.constFind(id);
    return found != m_texts.constEnd() ? *found : id;
}

void CResourceManager::ReloadText() {
    for (CControlUI* control : m_controls) {
        control->ReloadText();
    }
}

void CResourceManager::AddFont(int id, const QString& face, int size, bool bold, bool underline,
                               bool italic, bool shared) {
    (void)shared;  // every font is shared by all windows of the process
    QFont font(face);
    font.setPixelSize(size);
    font.setBold(bold);
    font.setUnderline(underline);
    font.setItalic(italic);
    m_fonts[id] = font;
}

void CResourceManager::SetDefaultFont(const QString& face, int size, bool bold, bool underline,
                                      bool italic, bool shared) {
    (void)shared;
    m_defaultFont = QFont(face);
    m_defaultFont.setPixelSize(size);
    m_defaultFont.setBold(bold);
    m_defaultFont.setUnderline(underline);
    m_defaultFont.setItalic(italic);
}

void CResourceManager::RemoveAllFonts() {
    m_fonts.clear();
    m_defaultFont = QFont();
}

QFont CResourceManager::GetFont(int id) const {
    auto found = m_fonts.find(id);
    return found != m_fonts.end() ? found->second : m_defaultFont;
}

void CResourceManager::ApplyFonts() {
    QFont base = m_defaultFont;
    // Faces missing on this machine fall back to a clean sans rather than the first installed.
    base.setStyleHint(QFont::SansSerif);
    QApplication::setFont(base);
    for (CControlUI* control : m_controls) {
        control->ApplyFont();
    }
}

}  // namespace quaro
