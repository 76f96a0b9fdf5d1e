#pragma once
// Page packages (".lu2"): a password ZIP archive with one entry per field of each object, in folders
// "V2.1\<type bytes>\<id>". Export writes a page with its icons, their words and the words' media, or
// every page, sentence, picture, sound and word of one data file; import reads exactly one page back
// into the output file or the user's file.
//
// Export writes beside the target and renames over it only when the whole package is written, so a
// failure leaves the previous package as it was. Import reads and checks everything it will store
// before it changes anything, so a damaged or crafted package leaves the data files as they were.
// The bytes and the reader's limits: doc/formats/lu2.md.

#include "packages/PackageError.h"
#include "packages/zip/ZipArchive.h"
#include "store/ResourceHandle.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class CQuibBg;
class CQuibIcon;
class CQuibPict;
class CQuibSentence;
class CQuibSound;
class CQuibWord;
class QTemporaryFile;

// The most bytes one import reads from a package, all its entries together: the page, its icons,
// their words and every picture and sound. What passes it is refused before it is read, so neither the
// import's memory nor the data file it stores into grows with the number of words a package holds.
extern std::uint64_t thePackageImportBudget;
constexpr std::uint64_t kDefaultPackageImportBudget = 256u << 20;

// What an import read of one picture or sound, before anything is stored.
struct PackagedMedia {
    std::int32_t id = 0;
    std::int32_t type = 0;
    std::unique_ptr<CMyRes> fields; // an unbound CQuibPict or CQuibSound holding the header fields
    QByteArray data;                // the bytes behind the stored header
    int dataEntry = -1;             // the package entry of those bytes, while they are still to be read
};

struct PackagedWord {
    std::int32_t id = 0;
    std::int32_t type = 0;
    std::unique_ptr<CQuibWord> word; // unbound: the fields only
    std::optional<PackagedMedia> picture;
    std::optional<PackagedMedia> sound;
};

struct PackagedPage {
    std::int32_t id = 0;
    std::int32_t type = 0;
    std::unique_ptr<CQuibBg> page; // unbound: name, flags and icons
    std::optional<PackagedMedia> picture;
    std::vector<PackagedWord> words;
    PackagedPage();
    ~PackagedPage();
    PackagedPage(PackagedPage&&) noexcept;
    PackagedPage& operator=(PackagedPage&&) noexcept;
};

class CPagePackage : public CZipArchive
{
public:
    static const char* const kPassword;
    static constexpr std::int32_t kFirstExportedWordId = 1000000000;
    static constexpr int kPagePictureKind = 47;
    static constexpr int kWordPictureKind = 10;
    static constexpr int kWordSoundKind = 5;

    CPagePackage();
    ~CPagePackage() override;

    // Export: creates the package at `path` (through a file beside it), writes with `write` and puts
    // it in place. On a refusal, here or by a writer, nothing is put in place and what was at `path`
    // stays untouched.
    template <class Write> PackageResult WritePackage(const QString& path, Write&& write);

    bool WritePage(CQuibBg& page, QString* folder, bool withContents);
    bool WriteWord(CQuibWord& word, QString* folder, bool withMedia);
    bool WritePicture(CQuibPict& picture, QString* folder);
    bool WriteSound(CQuibSound& sound, QString* folder);
    bool WriteSentence(CQuibSentence& sentence, QString* folder);
    void WriteIcon(const QString& folder, const CQuibIcon& icon, bool withWordPath);
    void WriteEntry(const QString& field, const void* bytes, std::size_t count);
    void WriteString(const QString& field, const QString& text);
    void WriteIntList(const QString& field, const std::vector<std::int32_t>& ids);
    template <class T> void WriteValue(const QString& field, T value)
    {
        WriteEntry(field, &value, sizeof value);
    }

    // The first refusal of the package's work so far: of WritePackage or ReadPackage, or of the writers
    // used on their own.
    const PackageResult& Result() const { return m_result; }

    // Import: opens the package read-only and reads and checks its page with everything an import
    // stores. A package with no page entry ("BgName.str") or several gives no page and no error.
    PackageResult ReadPackage(const QString& path, std::optional<PackagedPage>& page);

    // The folder of an object: "V2.1\<type bytes>\<id>".
    static QString ObjectFolder(std::int32_t type, std::int32_t id);
    static QString TypeToFolderName(std::int32_t type);
    // Splits "V2.1\a-b-c-d\id" (a field name behind it is dropped) into the type and the id; false for
    // anything else, for an id below 1, and for a type whose tag is not `expectedTag`.
    static bool ParseFolder(const QString& path, std::int32_t expectedTag, std::int32_t& id,
                            std::int32_t& type, QString* folder = nullptr);

    int m_targetFile = 0;
    int m_language = 0;

private:
    PackagedPage readPage(const QString& pageEntry);
    void readIcon(const QString& folder, CQuibIcon& icon);
    PackagedWord readWord(const QString& folder);
    PackagedMedia readMedia(const QString& folder, std::int32_t tag);
    // The index of the field's entry (-1 when absent or refused), its declared size checked against
    // `limit` and taken from what is left of the import's budget.
    int reserveEntry(const QString& field, std::uint64_t limit);
    // The bytes of a reserved entry, checked against the size it declares; empty when refused.
    QByteArray extractEntry(int index);
    // A field's bytes, reserved and extracted at once; none when absent or refused.
    std::optional<QByteArray> readEntry(const QString& field);
    // Reads the pictures' and sounds' bytes, once the whole page is known to fit the budget.
    void extractMedia(PackagedPage& packaged);
    template <class T> void readValue(const QString& field, T& value);
    bool readString(const QString& field, QString& text);
    void readIntList(const QString& field, std::vector<std::int32_t>& ids);
    QString entryName(const QString& field) const { return m_currentFolder + QLatin1Char('\\') + field; }

    // Swaps the current folder for one object's, and puts it back at the end of the scope.
    class FolderScope
    {
    public:
        FolderScope(CPagePackage& package, const QString& folder)
            : m_package(package), m_saved(package.m_currentFolder)
        {
            package.m_currentFolder = folder;
        }
        ~FolderScope() { m_package.m_currentFolder = m_saved; }
        FolderScope(const FolderScope&) = delete;
        FolderScope& operator=(const FolderScope&) = delete;

    private:
        CPagePackage& m_package;
        QString m_saved;
    };

    // Keeps the first refusal; every later step finds it and does nothing. Always false.
    bool refuse(PackageError error, const QString& detail = {});
    bool refused() const { return m_result.Failed(); }
    // Runs one step of the package's work. The ZIP library reports by exceptions; they stop here, the
    // one place they are caught, and become a refusal.
    PackageResult guarded(const std::function<void()>& step);
    PackageResult writePackage(const QString& path, const std::function<void()>& write);

    bool createAt(const QString& path);
    void finishAt(const QString& finalPath);
    void abandon() noexcept;

    QString m_packagePath;
    QString m_writingPath;
    std::unique_ptr<QTemporaryFile> m_scratch; // open, and locked, while the package is written
    QString m_currentFolder;
    std::uint64_t m_importBytesLeft = 0;
    PackageResult m_result;
};

template <class Write> PackageResult CPagePackage::WritePackage(const QString& path, Write&& write)
{
    return writePackage(path, [this, &write] { write(*this); });
}
