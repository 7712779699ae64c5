#include "platform/RegistryStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QUrl>
#include <cstdlib>

namespace orvane {
namespace {

QString Q(const std::u16string& s) {
    return QString::fromStdU16String(s);
}

bool Sync(QSettings& settings) {
    settings.sync();
    return settings.status() == QSettings::NoError;
}

void EnsureFolder(const std::string& file) {
    QDir().mkpath(QFileInfo(QString::fromStdString(file)).absolutePath());
}

// Registry key paths become one INI group: lower-cased (registry names ignore case) and percent-
// encoded so that "\\" and "/" never nest groups.
QString KeyGroup(const std::u16string& keyPath) {
    QString path = Q(keyPath);
    while (path.endsWith(u'\\'))
        path.chop(1);
    return QString::fromLatin1(QUrl::toPercentEncoding(path.toLower()));
}

QString ValueKey(const std::u16string& name) {
    return QString::fromLatin1(QUrl::toPercentEncoding(Q(name)));
}

}  // namespace

std::string RegistryRootFolderOfHome(const std::string& home) {
    return home + "/.config/TavelonLogin";
}

std::string RegistryRootFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && *xdg == '/')
        return std::string(xdg) + "/TavelonLogin";
    const char* home = std::getenv("HOME");
    return RegistryRootFolderOfHome(home != nullptr ? home : "");
}

RegistryStore::RegistryStore(std::string programName, std::string rootFolder)
    : path_(std::move(rootFolder) + "/" + programName + ".conf") {}

std::u16string RegistryStore::ReadString(const std::u16string& section, const std::u16string& entry,
                                         const std::u16string& fallback) const {
    QSettings settings(QString::fromStdString(path_), QSettings::IniFormat);
    const QVariant value = settings.value(Q(section) + u'/' + Q(entry));
    return value.isValid() ? value.toString().toStdU16String() : fallback;
}

bool RegistryStore::WriteString(const std::u16string& section, const std::u16string& entry,
                                const std::u16string& value) {
    EnsureFolder(path_);
    QSettings settings(QString::fromStdString(path_), QSettings::IniFormat);
    settings.setValue(Q(section) + u'/' + Q(entry), Q(value));
    return Sync(settings);
}

int RegistryStore::ReadInt(const std::u16string& section, const std::u16string& entry, int fallback) const {
    QSettings settings(QString::fromStdString(path_), QSettings::IniFormat);
    bool ok = false;
    const int value = settings.value(Q(section) + u'/' + Q(entry)).toInt(&ok);
    return ok ? value : fallback;
}

bool RegistryStore::WriteInt(const std::u16string& section, const std::u16string& entry, int value) {
    EnsureFolder(path_);
    QSettings settings(QString::fromStdString(path_), QSettings::IniFormat);
    settings.setValue(Q(section) + u'/' + Q(entry), value);
    return Sync(settings);
}

RegistryKeyStore::RegistryKeyStore(std::string rootFolder)
    : path_(std::move(rootFolder) + "/registry.conf") {}

bool RegistryKeyStore::KeyExists(const std::u16string& keyPath) const {
    QSettings settings(QString::fromStdString(path_), QSettings::IniFormat);
    return settings.childGroups().contains(KeyGroup(keyPath));
}

bool RegistryKeyStore::CreateKey(const std::u16string& keyPath) {
    if (KeyExists(keyPath))
        return true;
    EnsureFolder(path_);
    QSettings settings(QString::fromStdString(path_), QSettings::IniFormat);
    // An INI group exists only with a value in it; a marker keeps the empty key.
    settings.setValue(KeyGroup(keyPath) + QStringLiteral("/.key"), true);
    return Sync(settings);
}

bool RegistryKeyStore::ReadString(const std::u16string& keyPath, const std::u16string& name,
                                  std::u16string& value) const {
    QSettings settings(QString::fromStdString(path_), QSettings::IniFormat);
    const QVariant v = settings.value(KeyGroup(keyPath) + u'/' + ValueKey(name));
    if (!v.isValid())
        return false;
    value = v.toString().toStdU16String();
    return true;
}

bool RegistryKeyStore::WriteString(const std::u16string& keyPath, const std::u16string& name,
                                   const std::u16string& value) {
    EnsureFolder(path_);
    QSettings settings(QString::fromStdString(path_), QSettings::IniFormat);
    settings.setValue(KeyGroup(keyPath) + u'/' + ValueKey(name), Q(value));
    return Sync(settings);
}

}  // namespace orvane
