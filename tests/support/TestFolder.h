#pragma once
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A temporary folder that a test fills and that disappears with it.
class TestFolder
{
public:
    TestFolder();
    // A folder made from a template such as "/dev/shm/name-XXXXXX", for a test that needs one
    // in a particular place.
    explicit TestFolder(const QString& pathTemplate);

    const QString& Path() const { return path_; }
    // Path() + "/" + relative.
    QString Sub(const QString& relative) const;
    // Creates a folder (with its parents) below the test folder; returns its path.
    QString MakeFolder(const QString& relative) const;
    // Writes a file below the test folder, creating its folders; returns its path.
    QString WriteFile(const QString& relative, const QByteArray& content = QByteArray()) const;
    QByteArray ReadFile(const QString& relative) const;

private:
    QTemporaryDir dir_;
    QString path_;
};
