#include "app/Language.h"

#include <QFile>
#include <QImageReader>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QResource>
#include <QSvgRenderer>
#include <atomic>

#include "util/Text.h"

// The Korean module is compiled into this library; a static library must name it once.
static void InitBuiltInResources() {
    Q_INIT_RESOURCE(orvane_kor);
}

namespace orvane {

std::u16string g_languageCode = u"Kor";
const LanguageModule* g_languageModule = nullptr;

namespace {

constexpr char16_t kDisplayName[] = u"Tavelon Orvane";
constexpr char kBuiltInRoot[] = ":/orvane/kor";

// The pack in use; owned here, pointed at by g_languageModule.
std::unique_ptr<LanguageModule>& LoadedPack() {
    static std::unique_ptr<LanguageModule> pack;
    return pack;
}

const LanguageModule& Module() {
    return g_languageModule ? *g_languageModule : LanguageModule::BuiltIn();
}

bool IsSvg(const QString& path) {
    return path.endsWith(QLatin1String(".svg"));
}

}  // namespace

LanguageModule::LanguageModule(QString root, std::string packPath)
    : root_(std::move(root)), packPath_(std::move(packPath)) {}

LanguageModule::~LanguageModule() {
    if (!packPath_.empty())
        QResource::unregisterResource(QString::fromStdString(packPath_), root_.mid(1));
}

const LanguageModule& LanguageModule::BuiltIn() {
    static const LanguageModule* module = [] {
        InitBuiltInResources();
        auto* m = new LanguageModule(QString::fromLatin1(kBuiltInRoot), {});
        m->ReadStrings();
        return m;
    }();
    return *module;
}

std::unique_ptr<LanguageModule> LanguageModule::LoadPack(const std::string& path) {
    static std::atomic<int> serial{0};
    const QString root = QStringLiteral("/orvane/pack%1").arg(++serial);
    if (!QResource::registerResource(QString::fromStdString(path), root))
        return nullptr;
    std::unique_ptr<LanguageModule> module(new LanguageModule(QLatin1Char(':') + root, path));
    if (!module->ReadStrings())
        return nullptr;  // the destructor unregisters the file again
    return module;
}

bool LanguageModule::ReadStrings() {
    QFile file(root_ + QStringLiteral("/strings.json"));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll());
    const QJsonObject table = doc.object().value(QStringLiteral("strings")).toObject();
    for (auto it = table.begin(); it != table.end(); ++it) {
        bool ok = false;
        const int id = it.key().toInt(&ok);
        if (ok && it.value().isString())
            strings_[id] = it.value().toString().toStdU16String();
    }
    return !strings_.empty();
}

std::u16string LanguageModule::String(int id) const {
    const auto it = strings_.find(id);
    return it == strings_.end() ? std::u16string() : it->second;
}

QString LanguageModule::ImagePath(int id) const {
    for (const char* ext : {".svg", ".png", ".gif"}) {
        const QString path = root_ + QStringLiteral("/img/%1").arg(id) + QLatin1String(ext);
        if (QFile::exists(path))
            return path;
    }
    return {};
}

QByteArray LanguageModule::ImageData(int id) const {
    QFile file(ImagePath(id));
    if (file.fileName().isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

std::string LanguagePackPath(const std::u16string& code) {
    return "./language/" + WideToUtf8String(kDisplayName) + WideToUtf8String(code) + ".rcc";
}

std::string LoadLanguageResources() {
    const std::u16string code = g_languageCode;
    UnloadLanguageResources();
    g_languageCode = code;
    std::string tried;
    if (g_languageCode != u"Kor") {
        tried = LanguagePackPath(g_languageCode);
        LoadedPack() = LanguageModule::LoadPack(tried);
    }
    if (LoadedPack()) {
        g_languageModule = LoadedPack().get();
    } else {
        g_languageCode = u"Kor";
        g_languageModule = &LanguageModule::BuiltIn();
    }
    return tried;
}

void UnloadLanguageResources() {
    g_languageModule = nullptr;
    LoadedPack().reset();
    g_languageCode = u"Kor";
}

std::u16string LoadString(int id) {
    return Module().String(id);
}

QString Str(int id) {
    return QString::fromStdU16String(LoadString(id));
}

QSize ImageDesignSize(int id) {
    const QString path = Module().ImagePath(id);
    if (path.isEmpty())
        return {};
    if (IsSvg(path))
        return QSvgRenderer(path).defaultSize();
    return QImageReader(path).size();
}

QImage RenderImage(int id, QSize size) {
    const QString path = Module().ImagePath(id);
    if (path.isEmpty())
        return {};
    if (!IsSvg(path)) {
        QImage image(path);
        if (image.isNull() || size.isEmpty() || image.size() == size)
            return image;
        return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    QSvgRenderer renderer(path);
    if (!renderer.isValid())
        return {};
    if (size.isEmpty())
        size = renderer.defaultSize();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

QPixmap LoadImage(int id, QSize size) {
    return QPixmap::fromImage(RenderImage(id, size));
}

QByteArray LoadImageData(int id) {
    return Module().ImageData(id);
}

QIcon LoadIcon(int id) {
    QIcon icon;
    for (int side : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(LoadImage(id, QSize(side, side)));
    return icon;
}

}  // namespace orvane
