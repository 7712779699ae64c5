// The language resources of the pad remote: the string table and the pictures by resource id, from
// the language module that start-up chose. Korean is built into the executable; other languages are
// packs loaded by file name ("language/Tavelon Orvane<code>.rcc", relative to the current directory).
//
// Threads: start-up (main thread) sets the code and the module before any other thread exists;
// afterwards they never change, and LoadString/RenderImage may be called from any thread.
// LoadImage and LoadIcon make pixmaps and belong to the GUI thread.
#pragma once

#include <QByteArray>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <map>
#include <memory>
#include <string>

namespace orvane {

// "Kor" unless the registry names another language whose pack loads.
extern std::u16string g_languageCode;

class LanguageModule {
  public:
    ~LanguageModule();
    LanguageModule(const LanguageModule&) = delete;
    LanguageModule& operator=(const LanguageModule&) = delete;

    // The Korean resources inside the executable. Never fails.
    static const LanguageModule& BuiltIn();
    // A pack file; null when it is missing, not a resource file, or carries no string table.
    // The pack is installed with the program and trusted like the executable itself.
    static std::unique_ptr<LanguageModule> LoadPack(const std::string& path);

    bool IsBuiltIn() const { return packPath_.empty(); }
    const std::string& PackPath() const { return packPath_; }

    // Empty text for an id the table does not have.
    std::u16string String(int id) const;
    // Raw bytes of the picture with this id ("img/<id>.svg", ".png" or ".gif"); empty when missing.
    QByteArray ImageData(int id) const;
    QString ImagePath(int id) const;

  private:
    LanguageModule(QString root, std::string packPath);
    bool ReadStrings();

    QString root_;
    std::string packPath_;
    std::map<int, std::u16string> strings_;
};

// The module texts and pictures come from: the loaded pack, or the built-in Korean module (also
// while it is still null, before start-up has chosen).
extern const LanguageModule* g_languageModule;

// ".\\language\\%s%s.dll" of the original, with our pack extension: "./language/Tavelon Orvane<code>.rcc".
std::string LanguagePackPath(const std::u16string& code);

// Start-up step "language resources": with the code exactly "Kor" nothing is loaded; otherwise the
// pack of the code is tried. When none is loaded the code becomes "Kor" and the built-in module is
// used. Returns the path that was tried (empty for "Kor").
std::string LoadLanguageResources();
// Drops a loaded pack and returns to the built-in module and "Kor" (tests, and shutdown).
void UnloadLanguageResources();

// String N of the current module.
std::u16string LoadString(int id);
QString Str(int id);

// The design size of picture `id` (its size at scale 1.0); invalid when there is none.
QSize ImageDesignSize(int id);
// Picture `id` drawn at `size` device pixels (the design size when `size` is empty). Vector pictures
// are drawn at that size, so they stay crisp at every scale. A null image when there is none.
QImage RenderImage(int id, QSize size = QSize());
QPixmap LoadImage(int id, QSize size = QSize());
// The bytes of an animation such as the loading GIF 177.
QByteArray LoadImageData(int id);
// The program icon (128) with sizes for the window manager.
QIcon LoadIcon(int id);

}  // namespace orvane
