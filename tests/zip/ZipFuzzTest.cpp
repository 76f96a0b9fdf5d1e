// Damaged archives by the thousand: valid archives, changed at random but reproducibly (bytes flipped,
// the file cut short, bytes put in or taken out, and the length, size and offset fields of the local,
// central and end records overwritten with awkward values). Every one must give its data or a
// CZipException: never a crash, a hang, a read outside a buffer, another kind of exception, wrong data
// passed off as good, or a file grown out of all proportion by an edit.

#include "packages/zip/ZipBytes.h"
#include "tests/zip/ZipTestSupport.h"

#include <zlib.h>

#include <cstring>
#include <functional>
#include <random>

using namespace lumivo::test;

namespace
{

// A longer hunt can be asked for through the environment; the suite runs the short one.
const int kIterations = qEnvironmentVariableIsSet("ZIP_FUZZ_ITERATIONS")
                            ? qEnvironmentVariableIntValue("ZIP_FUZZ_ITERATIONS")
                            : 2000;
constexpr std::size_t kEditedSizeLimit = 1 << 20;

struct Seed {
    QByteArray bytes;
    QString password;
    QList<QByteArray> contents; // what the entries hold, to tell right data from wrong
};

QByteArray archiveBytes(const std::function<void(CZipArchive&)>& fill, const QString& password)
{
    CZipMemoryFile memory(4096);
    CZipArchive archive;
    archive.OpenOnFile(memory, CZipArchive::zipCreate);
    archive.SetPassword(password);
    fill(archive);
    archive.Close();
    return QByteArray(memory.data(), static_cast<qsizetype>(memory.GetLength()));
}

// A stored entry followed by a data descriptor without its signature, as some writers leave it, and a
// Unix entry with an extra field: layouts the library reads but does not write itself.
QByteArray handMadeArchive(const QByteArray& first, const QByteArray& second)
{
    using namespace zipbytes;
    std::vector<char> out(1024 + first.size() + second.size());
    char* p = out.data();
    const auto crcOf = [](const QByteArray& b) {
        return static_cast<std::uint32_t>(
            crc32_z(0, reinterpret_cast<const Bytef*>(b.constData()), static_cast<std::size_t>(b.size())));
    };
    const auto local = [&](const char* name, std::uint16_t flags, const QByteArray& data, bool sizes,
                           std::uint16_t extra) {
        const std::uint32_t crc = crcOf(data);
        const auto size = static_cast<std::uint32_t>(data.size());
        put32(p, CZipEntryHeader::kLocalSignature);
        put16(p, 20);
        put16(p, flags);
        put16(p, 0);
        put16(p, 0);
        put16(p, 0x21);
        put32(p, sizes ? crc : 0);
        put32(p, sizes ? size : 0);
        put32(p, sizes ? size : 0);
        put16(p, static_cast<std::uint32_t>(std::strlen(name)));
        put16(p, extra);
        std::memcpy(p, name, std::strlen(name));
        p += std::strlen(name);
        for (int i = 0; i < extra; ++i)
            *p++ = static_cast<char>(i);
        std::memcpy(p, data.constData(), static_cast<std::size_t>(data.size()));
        p += data.size();
    };
    const auto central = [&](const char* name, int host, std::uint16_t flags, const QByteArray& data,
                             std::uint32_t attributes, std::uint32_t offset) {
        put32(p, CZipEntryHeader::kCentralSignature);
        put16(p, static_cast<std::uint32_t>(host << 8 | 20));
        put16(p, 20);
        put16(p, flags);
        put16(p, 0);
        put16(p, 0);
        put16(p, 0x21);
        put32(p, crcOf(data));
        put32(p, static_cast<std::uint32_t>(data.size()));
        put32(p, static_cast<std::uint32_t>(data.size()));
        put16(p, static_cast<std::uint32_t>(std::strlen(name)));
        put16(p, 0);
        put16(p, 0);
        put16(p, 0);
        put16(p, 0);
        put32(p, attributes);
        put32(p, offset);
        std::memcpy(p, name, std::strlen(name));
        p += std::strlen(name);
    };
    local("plain.txt", 8, first, false, 0);
    char* descriptor = p;
    put32(descriptor, crcOf(first));
    put32(descriptor, static_cast<std::uint32_t>(first.size()));
    put32(descriptor, static_cast<std::uint32_t>(first.size()));
    p = descriptor;
    const auto secondOffset = static_cast<std::uint32_t>(p - out.data());
    local("unix/tool", 0, second, true, 8);
    const auto directoryOffset = static_cast<std::uint32_t>(p - out.data());
    central("plain.txt", zipHostDos, 8, first, 0x20, 0);
    central("unix/tool", zipHostUnix, 0, second, 0x81ED0000, secondOffset);
    const auto directorySize = static_cast<std::uint32_t>(p - out.data()) - directoryOffset;
    put32(p, CZipDirectory::kEndSignature);
    put16(p, 0);
    put16(p, 0);
    put16(p, 2);
    put16(p, 2);
    put32(p, directorySize);
    put32(p, directoryOffset);
    put16(p, 0);
    return QByteArray(out.data(), p - out.data());
}

std::vector<Seed> makeSeeds()
{
    const QList<QByteArray> contents{compressibleText(3000, 1), "abc", QByteArray(), randomBytes(700, 2)};
    const auto fill = [&](CZipArchive& archive) {
        addBytes(archive, QStringLiteral("a.txt"), contents[0]);
        addBytes(archive, QStringLiteral("sub\\tiny"), contents[1]);
        addBytes(archive, QStringLiteral("empty"), contents[2]);
        addBytes(archive, QStringLiteral("r.bin"), contents[3], 9);
        CZipEntryHeader folder;
        folder.SetFileName(QStringLiteral("folder\\"));
        folder.m_uExternalAttr = 0x10;
        archive.OpenNewEntry(folder, 0);
        archive.CloseNewEntry();
        archive.SetEntryComment(0, QStringLiteral("first"));
        archive.SetGlobalComment(QStringLiteral("archive comment"));
    };
    std::vector<Seed> seeds;
    seeds.push_back({archiveBytes(fill, {}), {}, contents});
    seeds.push_back({archiveBytes(fill, QStringLiteral("pw")), QStringLiteral("pw"), contents});
    Seed prefixed = seeds[0];
    prefixed.bytes.prepend(QByteArray(100, '\x7f'));
    seeds.push_back(prefixed);
    const QByteArray first = compressibleText(500, 3), second = randomBytes(40, 4);
    seeds.push_back({handMadeArchive(first, second), {}, {first, second}});
    return seeds;
}

// Where a record of the given signature starts in the bytes.
std::vector<qsizetype> recordsOf(const QByteArray& bytes, std::uint32_t signature)
{
    char wanted[4];
    char* p = wanted;
    zipbytes::put32(p, signature);
    std::vector<qsizetype> found;
    for (qsizetype at = bytes.indexOf(QByteArray(wanted, 4)); at >= 0;
         at = bytes.indexOf(QByteArray(wanted, 4), at + 1))
        found.push_back(at);
    return found;
}

struct Field {
    int offset;
    int width;
};

// The numeric fields of each record that a damaged or hostile archive may get wrong.
const std::vector<Field> kLocalFields{{6, 2}, {8, 2}, {14, 4}, {18, 4}, {22, 4}, {26, 2}, {28, 2}};
const std::vector<Field> kCentralFields{{4, 2},  {8, 2},  {10, 2}, {16, 4}, {20, 4}, {24, 4},
                                        {28, 2}, {30, 2}, {32, 2}, {34, 2}, {38, 4}, {42, 4}};
const std::vector<Field> kEndFields{{4, 2}, {6, 2}, {8, 2}, {10, 2}, {12, 4}, {16, 4}, {20, 2}};
const std::vector<Field> kDescriptorFields{{4, 4}, {8, 4}, {12, 4}};
const std::vector<std::pair<std::uint32_t, const std::vector<Field>*>> kFields{
    {CZipEntryHeader::kLocalSignature, &kLocalFields},
    {CZipEntryHeader::kCentralSignature, &kCentralFields},
    {CZipDirectory::kEndSignature, &kEndFields},
    {CZipDirectory::kDescriptorSignature, &kDescriptorFields},
};

void overwriteField(QByteArray& bytes, std::mt19937& random)
{
    const auto& [signature, fields] = kFields[random() % kFields.size()];
    const std::vector<qsizetype> records = recordsOf(bytes, signature);
    if (records.empty())
        return;
    const qsizetype record = records[random() % records.size()];
    const Field field = (*fields)[random() % fields->size()];
    if (record + field.offset + field.width > bytes.size())
        return;
    const std::uint32_t old = field.width == 2 ? zipbytes::get16(bytes.constData() + record + field.offset)
                                               : zipbytes::get32(bytes.constData() + record + field.offset);
    const std::uint32_t awkward[] = {
        0,          1,           old + 1,   old - 1,    old + 12,
        old - 12,   0xFFFF,      0xFFFE,    0x7FFFFFFF, 0xFFFFFFFF,
        0x80000000, old * 2 + 1, old ^ 0x8, old ^ 0x1,  static_cast<std::uint32_t>(random())};
    const std::uint32_t value = awkward[random() % std::size(awkward)];
    char* p = bytes.data() + record + field.offset;
    if (field.width == 2)
        zipbytes::put16(p, value & 0xFFFF);
    else
        zipbytes::put32(p, value);
}

QByteArray mutate(QByteArray bytes, std::mt19937& random)
{
    const int changes = 1 + static_cast<int>(random() % 3);
    for (int i = 0; i < changes && !bytes.isEmpty(); ++i) {
        const auto at = static_cast<qsizetype>(random() % static_cast<std::uint32_t>(bytes.size()));
        switch (random() % 6) {
        case 0:
        case 1:
            overwriteField(bytes, random);
            break;
        case 2:
            bytes[at] = static_cast<char>(bytes[at] ^ (1 + random() % 255));
            break;
        case 3:
            bytes.truncate(at);
            break;
        case 4:
            bytes.insert(at, randomBytes(1 + random() % 40, random()));
            break;
        default:
            bytes.remove(at, 1 + static_cast<qsizetype>(random() % 40));
            break;
        }
    }
    return bytes;
}

// Reads every entry every way the archive offers. Returns the cause of a CZipException, 0 without one.
int readEverything(CZipMemoryFile& memory, const Seed& seed)
{
    return causeOf([&] {
        CZipArchive archive;
        archive.OpenOnFile(memory, CZipArchive::zipOpenReadOnly);
        archive.SetPassword(seed.password);
        std::vector<std::uint16_t> matches;
        archive.FindMatches(QStringLiteral("*.t?t"), matches, false);
        archive.FindEntry(QStringLiteral("A.TXT"));
        archive.GetGlobalComment();
        for (int i = 0; i < archive.GetCount(); ++i) {
            CZipEntryHeader header;
            ASSERT_TRUE(archive.GetEntryInfo(header, i));
            header.GetTime();
            header.IsDirectory();
            archive.FindEntry(header.GetFileName(), CZipArchive::ffCaseSens, true);
            bool ok = false;
            const QByteArray data = extractBytes(archive, i, &ok);
            if (ok) {
                EXPECT_TRUE(seed.contents.contains(data)) << "entry " << i << " read as good but wrong";
            } else {
                EXPECT_TRUE(data.isEmpty()) << "an entry that failed left bytes behind";
            }
            if (!header.IsDirectory())
                archive.TestEntry(i);
        }
        archive.Close();
    });
}

const QByteArray& addedContent()
{
    static const QByteArray content = compressibleText(2000, 5);
    return content;
}

// Copies one entry of the damaged archive, raw, into a new one; what arrives must read right or fail.
void copyOut(CZipArchive& damaged, int index, const Seed& seed)
{
    CZipMemoryFile target(4096);
    CZipArchive copy;
    copy.OpenOnFile(target, CZipArchive::zipCreate);
    if (causeOf([&] { copy.GetFromArchive(damaged, index); }))
        copy.Close(CZipArchive::closeAfterExceptionWrite);
    else
        copy.Close();
    readEverything(target, seed);
}

// Changes the damaged archive in place, then reads what is left.
void editAndReread(CZipMemoryFile& memory, const Seed& seed, std::mt19937& random)
{
    {
        CZipArchive archive;
        const int cause = causeOf([&] {
            archive.OpenOnFile(memory, CZipArchive::zipOpen);
            archive.SetPassword(seed.password);
            const int count = archive.GetCount();
            const int index = count ? static_cast<int>(random() % static_cast<std::uint32_t>(count)) : 0;
            CZipMemoryFile source(1024);
            source.Attach(addedContent().constData(), static_cast<std::size_t>(addedContent().size()));
            CZipAddEntryInfo replacement;
            replacement.m_pFile = &source;
            replacement.m_szFileNameInZip = QStringLiteral("replacement");
            replacement.m_iReplaceIndex = index;
            replacement.m_iSmartLevel |= CZipArchive::zipsmMemoryFlag;
            switch (random() % 6) {
            case 0:
                archive.DeleteEntry(index);
                break;
            case 1:
                archive.RenameEntry(index, QStringLiteral("a rather longer name than before.txt"));
                break;
            case 2:
                archive.RenameEntry(index, QStringLiteral("x"));
                break;
            case 3:
                archive.AddEntry(replacement);
                break;
            case 4:
                copyOut(archive, index, seed);
                break;
            default:
                archive.AddEntryFromMemory(source, QStringLiteral("added.txt"));
                break;
            }
            archive.Close();
        });
        if (cause)
            archive.Close(CZipArchive::closeAfterException);
    }
    EXPECT_LT(memory.GetLength(), kEditedSizeLimit) << "an edit of a damaged archive blew it up";
    Seed edited = seed;
    edited.contents << addedContent();
    readEverything(memory, edited);
}

class ZipFuzzTest : public lumivo::test::LumivoTest
{
};

TEST_F(ZipFuzzTest, DamagedArchivesGiveTheirDataOrACleanError)
{
    const std::vector<Seed> seeds = makeSeeds();
    for (const Seed& seed : seeds) {
        CZipMemoryFile memory(4096);
        memory.Attach(seed.bytes.constData(), static_cast<std::size_t>(seed.bytes.size()));
        ASSERT_EQ(readEverything(memory, seed), 0) << "the undamaged archives read whole";
    }
    std::mt19937 random(20261207);
    int refused = 0;
    for (int iteration = 0; iteration < kIterations; ++iteration) {
        SCOPED_TRACE(testing::Message() << "iteration " << iteration);
        const Seed& seed = seeds[static_cast<std::size_t>(iteration) % seeds.size()];
        const QByteArray damaged = mutate(seed.bytes, random);
        CZipMemoryFile memory(4096);
        memory.Attach(damaged.constData(), static_cast<std::size_t>(damaged.size()));
        try {
            refused += readEverything(memory, seed) != 0;
            if (iteration % 4 == 0)
                editAndReread(memory, seed, random);
        } catch (const std::exception& e) {
            ADD_FAILURE() << "an exception other than CZipException: " << e.what();
        }
        if (HasFailure())
            break;
    }
    EXPECT_GT(refused, kIterations / 4) << "the damage reached the reader";
}

} // namespace
