#include "ui/SettingsWriter.h"

#include <errno.h>
#include <stdio.h>
#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryFile>
#include <filesystem>
#include <memory>
#include <system_error>

#include "base/SystemError.h"

namespace quireforge {

namespace {

QString Failure(const QString& path, const QString& reason) {
  return QStringLiteral("Cannot save settings file \"%1\". %2").arg(path, reason);
}

QString Failure(const QString& path, int error_number) {
  return Failure(path, QString::fromStdString(SystemErrorText(error_number)));
}

// A new, empty file beside `path`, made for this run only (never an existing file or link);
// null with `failure` set when it cannot be made.
std::unique_ptr<QTemporaryFile> FileBeside(const QString& path, QString* failure) {
  const QFileInfo info(path);
  std::error_code error;
  std::filesystem::create_directories(QFile::encodeName(info.absolutePath()).toStdString(), error);
  if (error) {
    *failure = Failure(path, error.value());
    return nullptr;
  }
  struct stat status;
  if (stat(QFile::encodeName(path).constData(), &status) == 0 && S_ISDIR(status.st_mode)) {
    *failure = Failure(path, EISDIR);
    return nullptr;
  }
  auto file = std::make_unique<QTemporaryFile>(info.absolutePath() + QStringLiteral("/.") +
                                               info.fileName() + QStringLiteral("-XXXXXX"));
  if (!file->open()) {
    *failure = Failure(path, file->errorString());
    return nullptr;
  }
  file->close();
  return file;
}

}  // namespace

QString WriteSettings(const QString& path, const std::function<void(QSettings&)>& fill) {
  QString failure;
  const std::unique_ptr<QTemporaryFile> file = FileBeside(path, &failure);
  if (file == nullptr) return failure;
  {
    QSettings settings(file->fileName(), QSettings::IniFormat);
    // Keys of other versions of the program stay; nothing is read through a link, which may
    // lead to a file that holds no settings at all.
    struct stat status;
    if (lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISREG(status.st_mode)) {
      const QSettings old(path, QSettings::IniFormat);
      for (const QString& key : old.allKeys()) settings.setValue(key, old.value(key));
    }
    fill(settings);
    settings.sync();
    if (settings.status() != QSettings::NoError) {
      return Failure(path, QStringLiteral("It could not be written in its folder."));
    }
  }
  // rename() replaces what stands at the name, a link included, and never follows it.
  if (rename(QFile::encodeName(file->fileName()).constData(),
             QFile::encodeName(path).constData()) != 0) {
    return Failure(path, errno);
  }
  file->setAutoRemove(false);
  return QString();
}

QString SettingsWriteProblem(const QString& path) {
  QString failure;
  FileBeside(path, &failure);
  return failure;
}

}  // namespace quireforge
