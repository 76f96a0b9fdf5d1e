// The archive streams against byte sequences written out by hand from the format, so that a change
// that would make the program unable to read its existing files shows up here.

#include "platform/archive/Archive.h"
#include "tests/support/LumivoTest.h"

#include <functional>
#include <initializer_list>

using lumivo::test::LumivoTest;

// ---- serialisable classes for the tests ---------------------------------------------------------

class CArchiveTestShape : public CObject
{
    DECLARE_SERIAL(CArchiveTestShape)
public:
    CArchiveTestShape() = default;
    explicit CArchiveTestShape(std::int32_t v) : value(v) {}
    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring())
            ar << value;
        else
            ar >> value;
    }
    std::int32_t value = 0;
};
IMPLEMENT_SERIAL(CArchiveTestShape, CObject, 2)

class CArchiveTestCircle : public CArchiveTestShape
{
    DECLARE_SERIAL(CArchiveTestCircle)
public:
    CArchiveTestCircle() = default;
    explicit CArchiveTestCircle(std::int32_t v) : CArchiveTestShape(v) {}
};
IMPLEMENT_SERIAL(CArchiveTestCircle, CArchiveTestShape, 2)

// Reads whatever schema its stream has and remembers it.
class CArchiveTestVersioned : public CObject
{
    DECLARE_SERIAL(CArchiveTestVersioned)
public:
    void Serialize(CArchive& ar) override
    {
        if (ar.IsLoading()) {
            schemaSeen = ar.GetObjectSchema();
            secondAsk = ar.GetObjectSchema();
        }
    }
    std::uint32_t schemaSeen = 0;
    std::uint32_t secondAsk = 0;
};
IMPLEMENT_SERIAL(CArchiveTestVersioned, CObject, VERSIONABLE_SCHEMA | 3)

// The layout of the stored data classes: another base first, the CObject part second.
struct ArchiveTestHandle {
    virtual ~ArchiveTestHandle() = default;
    std::int32_t handleField = 77;
};

class CArchiveTestRecord : public ArchiveTestHandle, public CObject
{
    DECLARE_SERIAL(CArchiveTestRecord)
public:
    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring())
            ar << name << partner;
        else
            ar >> name >> partner;
    }
    QString name;
    CObject* partner = nullptr; // refers, does not own
};
IMPLEMENT_SERIAL(CArchiveTestRecord, CObject, 1)

// A class that can be named but not made.
class CArchiveTestAbstract : public CObject
{
    DECLARE_DYNAMIC(CArchiveTestAbstract)
};
IMPLEMENT_DYNAMIC(CArchiveTestAbstract, CObject)

// ---- helpers -------------------------------------------------------------------------------------

namespace
{

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int value : values)
        out.append(static_cast<char>(value));
    return out;
}

QByteArray stored(const std::function<void(CArchive&)>& write)
{
    CMemFile file;
    CArchive ar(file, CArchive::store);
    write(ar);
    ar.Close();
    return file.Detach();
}

// The class entry of a new class as the stream holds it.
QByteArray newClass(const char* name, int schema)
{
    const QByteArray text(name);
    return bytes({0xFF, 0xFF, schema & 0xFF, schema >> 8, static_cast<int>(text.size()), 0}) + text;
}

QByteArray int32Bytes(std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    return bytes({static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                  static_cast<int>((bits >> 16) & 0xFF), static_cast<int>(bits >> 24)});
}

QString readString(const QByteArray& stream)
{
    CMemFile file;
    file.Attach(stream);
    CArchive ar(file, CArchive::load);
    QString text;
    ar >> text;
    EXPECT_EQ(file.GetPosition(), static_cast<std::uint64_t>(stream.size())) << "string left bytes unread";
    return text;
}

CArchiveException::Cause readFailure(const QByteArray& stream, const std::function<void(CArchive&)>& read)
{
    CMemFile file;
    file.Attach(stream);
    CArchive ar(file, CArchive::load);
    try {
        read(ar);
    } catch (const CArchiveException& error) {
        return error.m_cause;
    }
    return CArchiveException::none;
}

void readOneObject(CArchive& ar)
{
    std::unique_ptr<CObject> owned(ar.ReadObject(nullptr));
}

} // namespace

class ArchiveTest : public LumivoTest
{
};

// ---- scalars and strings ------------------------------------------------------------------------

TEST_F(ArchiveTest, ScalarsAreLittleEndianAtTheirOwnWidth)
{
    const QByteArray stream = stored([](CArchive& ar) {
        ar << std::uint8_t{0xAB} << std::int8_t{-2} << std::int16_t{-2} << std::uint16_t{0x1234}
           << std::int32_t{-3} << std::uint32_t{0x12345678} << std::int64_t{-4}
           << std::uint64_t{0x0102030405060708} << 1.5f << -2.0;
    });
    EXPECT_EQ(stream,
              bytes({0xAB, 0xFE, 0xFE, 0xFF, 0x34, 0x12, 0xFD, 0xFF, 0xFF, 0xFF, 0x78, 0x56, 0x34, 0x12,
                     0xFC, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x08, 0x07, 0x06, 0x05, 0x04, 0x03,
                     0x02, 0x01, 0x00, 0x00, 0xC0, 0x3F, 0,    0,    0,    0,    0,    0,    0x00, 0xC0}));

    CMemFile file;
    file.Attach(stream);
    CArchive ar(file, CArchive::load);
    std::uint8_t u8;
    std::int8_t i8;
    std::int16_t i16;
    std::uint16_t u16;
    std::int32_t i32;
    std::uint32_t u32;
    std::int64_t i64;
    std::uint64_t u64;
    float f;
    double d;
    ar >> u8 >> i8 >> i16 >> u16 >> i32 >> u32 >> i64 >> u64 >> f >> d;
    EXPECT_EQ(u8, 0xAB);
    EXPECT_EQ(i8, -2);
    EXPECT_EQ(i16, -2);
    EXPECT_EQ(u16, 0x1234);
    EXPECT_EQ(i32, -3);
    EXPECT_EQ(u32, 0x12345678u);
    EXPECT_EQ(i64, -4);
    EXPECT_EQ(u64, 0x0102030405060708u);
    EXPECT_EQ(f, 1.5f);
    EXPECT_EQ(d, -2.0);
}

TEST_F(ArchiveTest, StringLengthPrefixesChangeAtEachBoundary)
{
    struct Case {
        int length;
        QByteArray prefix;
    };
    const Case cases[] = {
        {0, bytes({0x00})},
        {254, bytes({0xFE})},
        {255, bytes({0xFF, 0xFF, 0x00})},
        {65533, bytes({0xFF, 0xFD, 0xFF})},
        {65534, bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00})},
        {65535, bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00})},
        {70000, bytes({0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00})},
    };
    for (const Case& c : cases) {
        const QString text(c.length, QLatin1Char('x'));
        const QByteArray stream = stored([&](CArchive& ar) { ar << text; });
        EXPECT_EQ(stream, c.prefix + QByteArray(c.length, 'x')) << "length " << c.length;
        EXPECT_EQ(readString(stream), text) << "length " << c.length;
    }
}

TEST_F(ArchiveTest, TextsAreWindows1252UnlessTheCodePageCannotHoldThem)
{
    // Windows-1252 holds these, so they go out as single bytes.
    EXPECT_EQ(stored([](CArchive& ar) { ar << QString::fromUtf8("¤€é"); }), bytes({0x03, 0xA4, 0x80, 0xE9}));

    // It holds neither omega nor the emoji: the UTF-16 form, its length counting UTF-16 units.
    const QString greek = QString::fromUtf8("aΩ😀");
    const QByteArray wide = stored([&](CArchive& ar) { ar << greek; });
    EXPECT_EQ(wide, bytes({0xFF, 0xFE, 0xFF, 0x04, 'a', 0, 0xA9, 0x03, 0x3D, 0xD8, 0x00, 0xDE}));
    EXPECT_EQ(readString(wide), greek);

    const QString longWide = QString(300, QChar(0x3A9));
    const QByteArray longStream = stored([&](CArchive& ar) { ar << longWide; });
    EXPECT_EQ(longStream.left(6), bytes({0xFF, 0xFE, 0xFF, 0xFF, 0x2C, 0x01}));
    EXPECT_EQ(longStream.size(), 6 + 600);
    EXPECT_EQ(readString(longStream), longWide);
}

TEST_F(ArchiveTest, ReadsEveryFormOfStringWritersMayHaveUsed)
{
    // The UTF-16 form of a text the code page could have held.
    EXPECT_EQ(readString(bytes({0xFF, 0xFE, 0xFF, 0x02, 'h', 0, 'i', 0})), QStringLiteral("hi"));
    // Longer prefixes than needed.
    EXPECT_EQ(readString(bytes({0xFF, 0x02, 0x00, 'h', 'i'})), QStringLiteral("hi"));
    EXPECT_EQ(readString(bytes({0xFF, 0xFF, 0xFF, 0x02, 0, 0, 0, 'h', 'i'})), QStringLiteral("hi"));
    EXPECT_EQ(readString(bytes({0xFF, 0xFE, 0xFF, 0xFF, 0x01, 0x00, 0xAC, 0x20})), QString(QChar(0x20AC)));
    // The bytes the code page leaves undefined survive as the control characters of the same number.
    EXPECT_EQ(readString(bytes({0x02, 0x81, 0x9D})), QString(QChar(0x81)) + QChar(0x9D));
}

// ---- counts ---------------------------------------------------------------------------------------

TEST_F(ArchiveTest, CountsTakeTwoBytesOrSix)
{
    const QByteArray stream = stored([](CArchive& ar) {
        ar.WriteCount(0);
        ar.WriteCount(0xFFFE);
        ar.WriteCount(0xFFFF);
        ar.WriteCount(70000);
    });
    EXPECT_EQ(stream, bytes({0x00, 0x00, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x70,
                             0x11, 0x01, 0x00}));
    CMemFile file;
    file.Attach(stream);
    CArchive ar(file, CArchive::load);
    EXPECT_EQ(ar.ReadCount(), 0u);
    EXPECT_EQ(ar.ReadCount(), 0xFFFEu);
    EXPECT_EQ(ar.ReadCount(), 0xFFFFu);
    EXPECT_EQ(ar.ReadCount(), 70000u);
}

// ---- object references ----------------------------------------------------------------------------

TEST_F(ArchiveTest, ObjectReferencesNumberClassesAndObjectsTogether)
{
    CArchiveTestShape first(10);
    CArchiveTestShape second(20);
    CArchiveTestCircle circle(30);
    const QByteArray stream = stored([&](CArchive& ar) {
        ar.WriteObject(&first);  // class 1, object 2
        ar.WriteObject(&second); // class 1 again, object 3
        ar.WriteObject(&first);  // back to object 2
        ar.WriteObject(nullptr);
        ar.WriteObject(&circle); // class 4, object 5
    });
    const QByteArray expected = newClass("CArchiveTestShape", 2) + int32Bytes(10) + bytes({0x01, 0x80}) +
                                int32Bytes(20) + bytes({0x02, 0x00}) + bytes({0x00, 0x00}) +
                                newClass("CArchiveTestCircle", 2) + int32Bytes(30);
    EXPECT_EQ(stream, expected);

    CMemFile file;
    file.Attach(expected);
    CArchive ar(file, CArchive::load);
    std::unique_ptr<CObject> a(ar.ReadObject(RUNTIME_CLASS(CArchiveTestShape)));
    std::unique_ptr<CObject> b(ar.ReadObject(RUNTIME_CLASS(CArchiveTestShape)));
    CObject* again = ar.ReadObject(RUNTIME_CLASS(CArchiveTestShape));
    CObject* none = ar.ReadObject(nullptr);
    CArchiveTestShape* read = nullptr;
    ar >> read;
    std::unique_ptr<CObject> c(read);
    EXPECT_EQ(static_cast<CArchiveTestShape*>(a.get())->value, 10);
    EXPECT_EQ(static_cast<CArchiveTestShape*>(b.get())->value, 20);
    EXPECT_EQ(again, a.get());
    EXPECT_EQ(none, nullptr);
    ASSERT_TRUE(c->IsKindOf(RUNTIME_CLASS(CArchiveTestCircle)));
    EXPECT_EQ(read->value, 30);
}

TEST_F(ArchiveTest, NumbersPastTheSmallTagUseTheWideEscape)
{
    constexpr int count = 0x7FFF;
    std::vector<std::unique_ptr<CArchiveTestShape>> shapes;
    for (int i = 0; i < count; ++i)
        shapes.push_back(std::make_unique<CArchiveTestShape>(i));
    CArchiveTestCircle circle(-1);
    const QByteArray stream = stored([&](CArchive& ar) {
        for (const auto& shape : shapes)
            ar.WriteObject(shape.get()); // class 1, objects 2 .. 0x8000
        ar.WriteObject(shapes.back().get());
        ar.WriteObject(&circle); // class 0x8001, object 0x8002
        ar.WriteObject(&circle);
        ar.WriteObject(shapes.front().get());
    });
    const QByteArray tail = bytes({0xFF, 0x7F, 0x00, 0x80, 0x00, 0x00}) + newClass("CArchiveTestCircle", 2) +
                            int32Bytes(-1) + bytes({0xFF, 0x7F, 0x02, 0x80, 0x00, 0x00}) +
                            bytes({0x02, 0x00});
    EXPECT_TRUE(stream.endsWith(tail));

    // A second circle after the escape: the class number 0x8001 itself needs the wide class tag.
    CArchiveTestCircle another(-2);
    const QByteArray withClassTag = stored([&](CArchive& ar) {
        for (const auto& shape : shapes)
            ar.WriteObject(shape.get());
        ar.WriteObject(&circle);
        ar.WriteObject(&another);
    });
    EXPECT_TRUE(withClassTag.endsWith(bytes({0xFF, 0x7F, 0x01, 0x80, 0x00, 0x80}) + int32Bytes(-2)));

    CMemFile file;
    file.Attach(stream);
    CArchive ar(file, CArchive::load);
    std::vector<std::unique_ptr<CObject>> read;
    for (int i = 0; i < count; ++i)
        read.emplace_back(ar.ReadObject(nullptr));
    EXPECT_EQ(ar.ReadObject(nullptr), read.back().get());
    std::unique_ptr<CObject> readCircle(ar.ReadObject(RUNTIME_CLASS(CArchiveTestCircle)));
    EXPECT_EQ(ar.ReadObject(nullptr), readCircle.get());
    EXPECT_EQ(ar.ReadObject(nullptr), read.front().get());
    EXPECT_EQ(static_cast<CArchiveTestShape*>(read.back().get())->value, count - 1);
}

TEST_F(ArchiveTest, ObjectListsKeepOrderAndClassesAndReplaceWhatWasThere)
{
    std::vector<std::unique_ptr<CArchiveTestShape>> shapes;
    shapes.push_back(std::make_unique<CArchiveTestShape>(1));
    shapes.push_back(std::make_unique<CArchiveTestCircle>(2));
    shapes.push_back(std::make_unique<CArchiveTestShape>(3));
    const QByteArray stream = stored([&](CArchive& ar) { SerializeObjectList(ar, shapes); });
    EXPECT_EQ(stream, bytes({0x03, 0x00}) + newClass("CArchiveTestShape", 2) + int32Bytes(1) +
                          newClass("CArchiveTestCircle", 2) + int32Bytes(2) + bytes({0x01, 0x80}) +
                          int32Bytes(3));

    std::vector<std::unique_ptr<CArchiveTestShape>> read;
    read.push_back(std::make_unique<CArchiveTestShape>(99));
    CMemFile file;
    file.Attach(stream);
    CArchive ar(file, CArchive::load);
    SerializeObjectList(ar, read);
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[0]->value, 1);
    EXPECT_TRUE(read[1]->IsKindOf(RUNTIME_CLASS(CArchiveTestCircle)));
    EXPECT_EQ(read[1]->value, 2);
    EXPECT_FALSE(read[2]->IsKindOf(RUNTIME_CLASS(CArchiveTestCircle)));
    EXPECT_EQ(read[2]->value, 3);
}

TEST_F(ArchiveTest, OwnedListsSkipEmptyItemsAndRefuseSharedOnes)
{
    const QByteArray withNull =
        bytes({0x02, 0x00, 0x00, 0x00}) + newClass("CArchiveTestShape", 2) + int32Bytes(5);
    std::vector<std::unique_ptr<CArchiveTestShape>> read;
    CMemFile file;
    file.Attach(withNull);
    CArchive ar(file, CArchive::load);
    SerializeObjectList(ar, read);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0]->value, 5);

    // The same object twice would be freed twice.
    const QByteArray shared =
        bytes({0x02, 0x00}) + newClass("CArchiveTestShape", 2) + int32Bytes(5) + bytes({0x02, 0x00});
    EXPECT_EQ(readFailure(shared,
                          [](CArchive& ar) {
                              std::vector<std::unique_ptr<CArchiveTestShape>> list;
                              SerializeObjectList(ar, list);
                          }),
              CArchiveException::badIndex);
}

TEST_F(ArchiveTest, ObjectsBehindAnotherBaseAndReferencesInsideObjects)
{
    auto first = std::make_unique<CArchiveTestRecord>();
    auto second = std::make_unique<CArchiveTestRecord>();
    first->name = QStringLiteral("first");
    first->partner = second.get();
    second->name = QStringLiteral("second");
    second->partner = first.get(); // refers back to an object still being written
    const QByteArray stream = stored([&](CArchive& ar) { ar << first.get(); });
    EXPECT_EQ(stream, newClass("CArchiveTestRecord", 1) + bytes({0x05}) + QByteArray("first") +
                          bytes({0x01, 0x80, 0x06}) + QByteArray("second") + bytes({0x02, 0x00}));

    CMemFile file;
    file.Attach(stream);
    CArchive ar(file, CArchive::load);
    CArchiveTestRecord* read = nullptr;
    ar >> read;
    std::unique_ptr<CArchiveTestRecord> owner(read);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->handleField, 77);
    EXPECT_EQ(read->name, QStringLiteral("first"));
    std::unique_ptr<CObject> partner(read->partner);
    auto* readPartner = dynamic_cast<CArchiveTestRecord*>(read->partner);
    ASSERT_TRUE(readPartner);
    EXPECT_EQ(readPartner->name, QStringLiteral("second"));
    EXPECT_EQ(readPartner->partner, static_cast<CObject*>(read));
}

TEST_F(ArchiveTest, SchemasMustMatchUnlessTheClassReadsEveryVersion)
{
    EXPECT_EQ(readFailure(newClass("CArchiveTestShape", 1) + int32Bytes(0), readOneObject),
              CArchiveException::badSchema);

    CMemFile file;
    file.Attach(newClass("CArchiveTestVersioned", 7) + bytes({0x01, 0x80}));
    CArchive ar(file, CArchive::load);
    std::unique_ptr<CObject> old(ar.ReadObject(nullptr));
    std::unique_ptr<CObject> again(ar.ReadObject(nullptr));
    EXPECT_EQ(static_cast<CArchiveTestVersioned*>(old.get())->schemaSeen, 7u);
    EXPECT_EQ(static_cast<CArchiveTestVersioned*>(old.get())->secondAsk, 0xFFFFFFFFu);
    EXPECT_EQ(static_cast<CArchiveTestVersioned*>(again.get())->schemaSeen, 7u);

    // Written with its own schema, without the versioning flag.
    const QByteArray stream = stored([](CArchive& ar) {
        CArchiveTestVersioned object;
        ar << &object;
    });
    EXPECT_EQ(stream, newClass("CArchiveTestVersioned", 3));
}

TEST_F(ArchiveTest, DamagedReferencesAreReadErrors)
{
    const QByteArray shape = newClass("CArchiveTestShape", 2) + int32Bytes(1);
    struct Case {
        const char* what;
        QByteArray stream;
        CArchiveException::Cause cause;
    };
    const Case cases[] = {
        {"unknown class", newClass("CNoSuchClass", 1), CArchiveException::badClass},
        {"class that cannot be made", newClass("CArchiveTestAbstract", 0xFFFF), CArchiveException::badClass},
        {"base class name", newClass("CObject", 0xFFFF), CArchiveException::badClass},
        {"overlong class name", bytes({0xFF, 0xFF, 0x01, 0x00, 0x40, 0x00}) + QByteArray(64, 'C'),
         CArchiveException::badClass},
        {"class number never given", bytes({0x05, 0x80}), CArchiveException::badIndex},
        {"class number zero", bytes({0x00, 0x80}), CArchiveException::badIndex},
        {"class number of an object", shape + bytes({0x02, 0x80}), CArchiveException::badIndex},
        {"object number of a class", shape + bytes({0x01, 0x00}), CArchiveException::badIndex},
        {"object number never given", bytes({0x03, 0x00}), CArchiveException::badIndex},
        {"wide object number never given", bytes({0xFF, 0x7F, 0x00, 0x00, 0x01, 0x00}),
         CArchiveException::badIndex},
        {"wide class number never given", bytes({0xFF, 0x7F, 0x09, 0x00, 0x00, 0x80}),
         CArchiveException::badIndex},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(readFailure(c.stream,
                              [](CArchive& ar) {
                                  readOneObject(ar);
                                  readOneObject(ar);
                              }),
                  c.cause)
            << c.what;
    }
    // Each record refers to a new one inside it, far deeper than any real stream nests.
    QByteArray deep = newClass("CArchiveTestRecord", 1) + bytes({0x00});
    for (int i = 0; i < 100000; ++i)
        deep += bytes({0x01, 0x80, 0x00});
    EXPECT_EQ(readFailure(deep, readOneObject), CArchiveException::badIndex);

    // A circle where a circle is required, but the stream holds a plain shape.
    EXPECT_EQ(readFailure(shape, [](CArchive& ar) { ar.ReadObject(RUNTIME_CLASS(CArchiveTestCircle)); }),
              CArchiveException::badClass);
    EXPECT_EQ(readFailure(shape + bytes({0x02, 0x00}),
                          [](CArchive& ar) {
                              std::unique_ptr<CObject> first(ar.ReadObject(nullptr));
                              ar.ReadObject(RUNTIME_CLASS(CArchiveTestCircle));
                          }),
              CArchiveException::badClass);
}

TEST_F(ArchiveTest, AReferenceBackToAnObjectItsOwnerDestroyedIsAReadError)
{
    const QByteArray shape = newClass("CArchiveTestShape", 2) + int32Bytes(1);
    // The owner of the first object lets it go while the stream is still read; the stream then refers
    // back to it, as a plain reference, as a reference of the wrong class and into owned storage.
    const std::function<CObject*(CArchive&)> readers[] = {
        [](CArchive& ar) { return ar.ReadObject(nullptr); },
        [](CArchive& ar) { return ar.ReadObject(RUNTIME_CLASS(CArchiveTestCircle)); },
        [](CArchive& ar) { return ar.ReadOwnedObject(RUNTIME_CLASS(CArchiveTestShape)).release(); },
    };
    for (const auto& readBack : readers) {
        EXPECT_EQ(readFailure(shape + bytes({0x02, 0x00}),
                              [&](CArchive& ar) {
                                  ar.ReadOwnedObject(nullptr).reset();
                                  std::unique_ptr<CObject> again(readBack(ar));
                              }),
                  CArchiveException::badIndex);
    }
    // An object destroyed after its stream ended is nothing to the stream.
    CMemFile file(shape.constData(), std::size_t(shape.size()));
    std::unique_ptr<CObject> kept;
    {
        CArchive ar(file, CArchive::load);
        kept = ar.ReadOwnedObject(nullptr);
    }
    EXPECT_EQ(static_cast<CArchiveTestShape*>(kept.get())->value, 1);
}

TEST_F(ArchiveTest, EveryTruncationOfAStreamIsAReadError)
{
    std::vector<std::unique_ptr<CArchiveTestShape>> shapes;
    shapes.push_back(std::make_unique<CArchiveTestShape>(1));
    shapes.push_back(std::make_unique<CArchiveTestCircle>(2));
    const QString wide = QString::fromUtf8("Ωmega");
    const QByteArray stream = stored([&](CArchive& ar) {
        ar << QString(300, QLatin1Char('a')) << wide << std::int64_t{5};
        ar.WriteCount(70000);
        SerializeObjectList(ar, shapes);
    });
    const auto readAll = [](CArchive& ar) {
        QString a;
        QString b;
        std::int64_t number;
        ar >> a >> b >> number;
        ar.ReadCount();
        std::vector<std::unique_ptr<CArchiveTestShape>> list;
        SerializeObjectList(ar, list);
    };
    EXPECT_EQ(readFailure(stream, readAll), CArchiveException::none);
    for (qsizetype length = 0; length < stream.size(); ++length)
        EXPECT_EQ(readFailure(stream.left(length), readAll), CArchiveException::endOfFile)
            << "length " << length;

    // A length prefix that claims far more than there is allocates nothing and fails.
    EXPECT_EQ(readFailure(bytes({0xFF, 0xFF, 0xFF, 0xF0, 0xFF, 0xFF, 0xFF, 'a'}),
                          [](CArchive& ar) {
                              QString text;
                              ar >> text;
                          }),
              CArchiveException::endOfFile);
    EXPECT_EQ(readFailure(bytes({0x05, 'a', 'b'}),
                          [](CArchive& ar) {
                              char buffer[5];
                              ar.Read(buffer, sizeof buffer);
                          }),
              CArchiveException::endOfFile);
}

TEST_F(ArchiveTest, ArchivesRefuseTheWrongDirectionAndUseAfterClose)
{
    CMemFile file;
    CArchive storing(file, CArchive::store);
    std::int32_t value = 0;
    EXPECT_THROW(storing >> value, CArchiveException);
    CArchive loading(file, CArchive::load);
    EXPECT_THROW(loading << value, CArchiveException);
    storing.Close();
    EXPECT_THROW(storing << value, CArchiveException);
    // A class with no way to make it could never be read back.
    EXPECT_EQ(readFailure({},
                          [](CArchive&) {
                              CMemFile out;
                              CArchive ar(out, CArchive::store);
                              ar.WriteClass(RUNTIME_CLASS(CArchiveTestAbstract));
                          }),
              CArchiveException::badClass);
}

TEST_F(ArchiveTest, PointsSizesAndRectanglesAreThirtyTwoBitFields)
{
    const QByteArray stream =
        stored([](CArchive& ar) { ar << CPoint(1, -1) << CSize(2, 3) << CRect(4, 5, 6, 7); });
    EXPECT_EQ(stream, int32Bytes(1) + int32Bytes(-1) + int32Bytes(2) + int32Bytes(3) + int32Bytes(4) +
                          int32Bytes(5) + int32Bytes(6) + int32Bytes(7));
    CMemFile file;
    file.Attach(stream);
    CArchive ar(file, CArchive::load);
    CPoint point;
    CSize size;
    CRect rect;
    ar >> point >> size >> rect;
    EXPECT_EQ(point, CPoint(1, -1));
    EXPECT_EQ(size, CSize(2, 3));
    EXPECT_EQ(rect, CRect(4, 5, 6, 7));
}

// ---- memory file and code page --------------------------------------------------------------------

TEST_F(ArchiveTest, MemoryFileGrowsFillsGapsWithZerosAndHandsItsBytesOver)
{
    CMemFile file(16);
    file.Write("ab", 2);
    EXPECT_EQ(file.Seek(3, CMemFile::current), 5u);
    file.Write("z", 1);
    EXPECT_EQ(file.GetLength(), 6u);
    EXPECT_EQ(file.toByteArray(), QByteArray("ab\0\0\0z", 6));
    file.Seek(-1, CMemFile::end);
    char buffer[4] = {};
    EXPECT_EQ(file.Read(buffer, 4), 1u);
    EXPECT_EQ(file.Read(buffer, 4), 0u);
    file.Seek(100);
    EXPECT_EQ(file.Read(buffer, 4), 0u);
    EXPECT_THROW(file.Seek(-1, CMemFile::begin), CArchiveException);
    EXPECT_EQ(file.GetPosition(), 100u);

    file.Write(QByteArray(5000, 'x').constData(), 5000);
    EXPECT_EQ(file.GetLength(), 5100u);
    EXPECT_EQ(file.data()[50], 0);
    const QByteArray contents = file.Detach();
    EXPECT_EQ(contents.size(), 5100);
    EXPECT_EQ(file.GetLength(), 0u);

    file.Attach(std::vector<std::uint8_t>{1, 2, 3, 4});
    file.Attach(file.data() + 1, 3); // its own bytes
    EXPECT_EQ(file.toByteArray(), QByteArray("\2\3\4", 3));
    file.Attach(std::vector<std::uint8_t>{1, 2, 3});
    EXPECT_EQ(file.GetPosition(), 0u);
    EXPECT_EQ(file.DetachBytes(), (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST_F(ArchiveTest, Windows1252RoundTripsEveryByte)
{
    QByteArray all;
    for (int byte = 0; byte < 256; ++byte)
        all.append(static_cast<char>(byte));
    const QString text = fromWindows1252(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(text[0x80], QChar(0x20AC));
    EXPECT_EQ(text[0x9F], QChar(0x0178));
    EXPECT_EQ(text[0xA4], QChar(0x00A4));
    for (int undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(text[undefined], QChar(undefined));
    bool lossless = false;
    EXPECT_EQ(toWindows1252(text, &lossless), all);
    EXPECT_TRUE(lossless);
    EXPECT_TRUE(fitsWindows1252(text));
}

TEST_F(ArchiveTest, Windows1252MarksWhatItCannotHold)
{
    bool lossless = true;
    // U+0080 is a control character the code page has no byte for (0x80 is the euro sign).
    EXPECT_EQ(toWindows1252(QString::fromUtf8("aΩ😀") + QChar(0x80), &lossless), QByteArray("a???"));
    EXPECT_FALSE(lossless);
    EXPECT_FALSE(fitsWindows1252(QString(QChar(0x3A9))));
}
