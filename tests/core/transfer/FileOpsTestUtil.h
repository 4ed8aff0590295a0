#pragma once
// What the file-operation tests share: raw views of folders (bytes of names and contents, read
// without the code under test), a tmpfs mount for a second file system, and the test's trash.
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <map>
#include <memory>
#include <ostream>

// Readable failure output: short byte strings as text, long ones by size.
inline void PrintTo(const QByteArray& bytes, std::ostream* os) {
    if (bytes.size() <= 64) *os << '"' << bytes.toPercentEncoding(" *?[]/.").constData() << '"';
    else *os << "<" << bytes.size() << " bytes>";
}
inline void PrintTo(const QString& text, std::ostream* os) { *os << text.toStdString(); }

// Name bytes -> content bytes of the regular files in `folder` (readdir, no decoding).
std::map<QByteArray, QByteArray> RawContents(const QString& folder);
// Writes `content` to the file whose path bytes are `path`.
void WriteRaw(const QByteArray& path, const QByteArray& content);
// `n` bytes that differ from those of any other seed.
QByteArray Pattern(int n, char seed);
// Removes everything inside `folder` (not the folder itself).
void EmptyFolder(const QString& folder);

// A tmpfs mounted on a fresh folder for the lifetime of the object. `mounted()` false with
// `reason()` where the kernel refuses (no privilege in a container, say). `source` is the name
// the mount table shows for it ("/dev/sr9" makes it look like a CD-ROM drive).
class TmpfsMount {
public:
    explicit TmpfsMount(const char* options, bool readOnly = false, const char* source = "tmpfs");
    ~TmpfsMount();
    bool mounted() const { return mounted_; }
    QString reason() const { return reason_; }
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
    QString reason_;
};

// The trash GIO uses in this test process: $XDG_DATA_HOME/Trash, set up before any test runs.
QString TrashFolder();
