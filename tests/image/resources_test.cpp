// Writing and deleting the embedded document in real image files under Wine,
// read back the way another process would read them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "crypto/legacy_format.h"
#include "image/paths.h"
#include "image/resources.h"
#include "tests/e2e/driver.h"

namespace {

// Opens an image file as data and reads its resources back.
class ImageFile {
public:
    explicit ImageFile(const std::string& path) : m_module(LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~ImageFile() {
        if (m_module != nullptr)
            FreeLibrary(m_module);
    }
    bool IsOpen() const { return m_module != nullptr; }

    // The bytes of type/name, or "<absent>".
    std::string Read(LPCSTR type, LPCSTR name) const {
        HRSRC found = FindResourceA(m_module, name, type);
        if (found == nullptr)
            return "<absent>";
        const char* bytes = static_cast<const char*>(LockResource(LoadResource(m_module, found)));
        return std::string(bytes, SizeofResource(m_module, found));
    }
    std::string Packet(LPCSTR name) const { return Read("PACKET", name); }
    std::string String(UINT id) const {
        char text[256] = {};
        LoadStringA(m_module, id, text, sizeof text);
        return text;
    }

private:
    HMODULE m_module;
};

std::vector<unsigned char> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

class PacketResources : public ::testing::Test {
protected:
    // A private copy of this test program, which carries other resources.
    std::string CopyOfSelf() {
        char self[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        const std::string copy = driver::MakeTempFolder("resources") + "\\image.exe";
        EXPECT_TRUE(driver::CopyInto(self, copy));
        return copy;
    }

    SealedNote Sample() const {
        return LegacyEntries({Bytes(std::string(64, 'h')), Bytes(std::string(48, 'd')), Bytes("AES")});
    }
};

TEST_F(PacketResources, RunningImageReadsItsOwnDocumentWithExactLengths) {
    const StoredEntries entries = OwnNoteEntries();
    ASSERT_TRUE(IsWholeSet(entries));
    const StoredEntry type = entries("TYPE");
    ASSERT_NE(nullptr, type.bytes);
    EXPECT_EQ("SM4", std::string(reinterpret_cast<const char*>(type.bytes), type.size));
    EXPECT_EQ(32u, entries("DATA").size);
    EXPECT_EQ(16u, entries("HMAC").size);
    EXPECT_FALSE(entries("NOTE").found);
}

TEST_F(PacketResources, WriteReplacesTheDocumentAndKeepsEverythingElse) {
    const std::string path = CopyOfSelf();
    ASSERT_TRUE(WritePackets(FromAnsi(path), Sample()));

    ImageFile image(path);
    ASSERT_TRUE(image.IsOpen());
    EXPECT_EQ(std::string(64, 'h'), image.Packet("HMAC"));
    EXPECT_EQ(std::string(48, 'd'), image.Packet("DATA"));
    EXPECT_EQ("AES", image.Packet("TYPE"));  // exactly 3 bytes, no terminator
    EXPECT_EQ("a string that must survive", image.String(7));
    EXPECT_EQ("numbered bytes", image.Read(RT_RCDATA, MAKEINTRESOURCEA(77)));
    EXPECT_EQ("named bytes", image.Read(RT_RCDATA, "NAMED"));
}

TEST_F(PacketResources, DeleteLeavesNoEntryAndKeepsEverythingElse) {
    const std::string path = CopyOfSelf();
    const std::optional<NoteImage> original = ReadNoteImage(FromAnsi(path));
    ASSERT_TRUE(original);
    ASSERT_TRUE(DeletePackets(FromAnsi(path), *original));

    ImageFile image(path);
    for (LPCSTR name : {"HMAC", "DATA", "TYPE"})
        EXPECT_EQ("<absent>", image.Packet(name)) << name;
    EXPECT_EQ("a string that must survive", image.String(7));
}

TEST_F(PacketResources, TheProgramCarriesItsDocumentIntoACopy) {
    const std::string program = driver::MakeTempFolder("program") + "\\scribecrypt.exe";
    ASSERT_TRUE(driver::CopyInto(driver::PathFromEnvironment("SCRIBECRYPT_EXE"), program));
    ASSERT_TRUE(WritePackets(FromAnsi(program), Sample()));
    const std::string copy = program + ".copy.exe";
    ASSERT_TRUE(driver::CopyInto(program, copy));

    ImageFile image(copy);
    EXPECT_EQ(std::string(64, 'h'), image.Packet("HMAC"));
    EXPECT_EQ(std::string(48, 'd'), image.Packet("DATA"));
    EXPECT_EQ("AES", image.Packet("TYPE"));
}

TEST_F(PacketResources, MissingOrRunningTargetReportsFailure) {
    EXPECT_FALSE(WritePackets(L"C:\\no such folder\\image.exe", Sample()));
    const std::optional<NoteImage> own = ReadNoteImage(OwnImagePath());
    ASSERT_TRUE(own);
    EXPECT_FALSE(DeletePackets(L"C:\\no such folder\\image.exe", *own));
    EXPECT_FALSE(WritePackets(OwnImagePath(), Sample()));
}

TEST_F(PacketResources, AnEmptyEntryIsRefusedAndTheFileKeepsItsDocument) {
    const std::string path = CopyOfSelf();
    SealedNote broken = Sample();
    for (NoteEntry& entry : broken)
        if (entry.name == kSealedTextEntry) entry.bytes.clear();
    EXPECT_FALSE(WritePackets(FromAnsi(path), broken));
    EXPECT_EQ("SM4", ImageFile(path).Packet("TYPE"));
}

}  // namespace
