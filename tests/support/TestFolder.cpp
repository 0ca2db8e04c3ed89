#include "tests/support/TestFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

TestFolder::TestFolder()
    : TestFolder(QDir::tempPath() + QLatin1Char('/') + QCoreApplication::applicationName() + QStringLiteral("-XXXXXX"))
{
}

TestFolder::TestFolder(const QString& pathTemplate) : dir_(pathTemplate)
{
    if (!dir_.isValid())
        throw std::runtime_error("cannot create a temporary folder");
    path_ = dir_.path();
}

QString TestFolder::Sub(const QString& relative) const
{
    return path_ + QLatin1Char('/') + relative;
}

QString TestFolder::MakeFolder(const QString& relative) const
{
    const QString path = Sub(relative);
    if (!QDir().mkpath(path))
        throw std::runtime_error("cannot create a test folder");
    return path;
}

QString TestFolder::WriteFile(const QString& relative, const QByteArray& content) const
{
    const QString path = Sub(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
        throw std::runtime_error("cannot write a test file");
    return path;
}

QByteArray TestFolder::ReadFile(const QString& relative) const
{
    QFile file(Sub(relative));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}
