#include "platform/qt/QtShell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace tp {
namespace {

// Runs a program and waits for it; true when it exited with status 0.
bool RunTool(const QString& program, const QStringList& arguments) {
  if (QStandardPaths::findExecutable(program).isEmpty()) return false;
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForStarted(3000)) return false;
  if (!process.waitForFinished(10000)) {
    process.kill();
    process.waitForFinished(1000);
    return false;
  }
  return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QString Output(const QString& program, const QStringList& arguments) {
  if (QStandardPaths::findExecutable(program).isEmpty()) return {};
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(5000)) {
    process.kill();
    process.waitForFinished(1000);
    return {};
  }
  if (process.exitCode() != 0) return {};
  return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

bool Contains(const QByteArray& value, const char* word) {
  return QString::fromUtf8(value).contains(QLatin1String(word), Qt::CaseInsensitive);
}

bool TryGnome(const QString& uri) {
  if (!RunTool("gsettings", {"set", "org.gnome.desktop.background", "picture-uri", uri})) return false;
  // Newer GNOME shows a separate picture in dark mode; set it too, ignoring failure.
  RunTool("gsettings", {"set", "org.gnome.desktop.background", "picture-uri-dark", uri});
  RunTool("gsettings", {"set", "org.gnome.desktop.background", "picture-options", "stretched"});
  return true;
}

bool TryXfce(const QString& file) {
  QString list = Output("xfconf-query", {"-c", "xfce4-desktop", "-l"});
  if (list.isEmpty()) return false;
  bool any = false;
  for (const QString& property : list.split('\n')) {
    if (property.endsWith("/last-image") || property.endsWith("/image-path")) {
      any = RunTool("xfconf-query", {"-c", "xfce4-desktop", "-p", property, "-s", file}) || any;
    }
  }
  return any;
}

bool TryKde(const QString& file) {
  QString escaped = file;
  escaped.replace('\\', "\\\\").replace('"', "\\\"");
  QString script = QString(
                       "var all = desktops(); for (var i = 0; i < all.length; i++) {"
                       " var d = all[i]; d.wallpaperPlugin = \"org.kde.image\";"
                       " d.currentConfigGroup = Array(\"Wallpaper\", \"org.kde.image\", \"General\");"
                       " d.writeConfig(\"Image\", \"file://%1\"); }")
                       .arg(escaped);
  for (const char* tool : {"qdbus6", "qdbus", "qdbus-qt5"}) {
    if (RunTool(tool, {"org.kde.plasmashell", "/PlasmaShell", "org.kde.PlasmaShell.evaluateScript", script}))
      return true;
  }
  return false;
}

}  // namespace

bool QtShell::Open(const std::string& target) {
  // Only web and mail addresses go to the desktop's opener; never a file or a program.
  if (!IsOpenableLink(target)) return false;
  QUrl url(QString::fromStdString(target).trimmed(), QUrl::TolerantMode);
  const QString scheme = url.scheme().toLower();
  if (!url.isValid() || (scheme != "http" && scheme != "https" && scheme != "mailto")) return false;
  return QDesktopServices::openUrl(url);
}

bool QtDesktop::SetWallpaper(const std::string& path) {
  QString file = QFileInfo(QString::fromStdString(path)).absoluteFilePath();
  if (!QFileInfo::exists(file)) return false;
  QString uri = QUrl::fromLocalFile(file).toString();
  QByteArray desktop = qgetenv("XDG_CURRENT_DESKTOP");
  // Ask the running desktop first, then whichever tool is present.
  if (Contains(desktop, "xfce") && TryXfce(file)) return true;
  if (Contains(desktop, "kde") && TryKde(file)) return true;
  if ((Contains(desktop, "gnome") || Contains(desktop, "unity") || Contains(desktop, "cinnamon") ||
       Contains(desktop, "budgie")) &&
      TryGnome(uri))
    return true;
  if (desktop.isEmpty()) {
    if (TryXfce(file)) return true;
    if (TryKde(file)) return true;
  }
  if (!qEnvironmentVariableIsEmpty("DISPLAY") && RunTool("feh", {"--bg-fill", file})) return true;
  return false;
}

}  // namespace tp
