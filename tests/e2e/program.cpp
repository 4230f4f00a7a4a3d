#include "tests/e2e/program.h"

#include "crypto/document.h"
#include "image/resources.h"

namespace driver {

namespace {

std::vector<unsigned char> ToBytes(const std::string& text) { return {text.begin(), text.end()}; }

}  // namespace

ProgramCopy::ProgramCopy(const std::string& hint, const std::string& fileName, const char* programVariable)
    : m_folder(MakeTempFolder(hint)), m_path(m_folder + "\\" + fileName) {
    CopyInto(PathFromEnvironment(programVariable), m_path);
}

bool ProgramCopy::Seal(const std::string& text, const std::string& password, const std::string& cipher) const {
    const std::optional<SealedDocument> sealed = SealDocument(text, password, cipher);
    return sealed && WritePackets(m_path, PacketSet{sealed->hmac, sealed->data, sealed->type});
}

bool ProgramCopy::WriteRaw(const std::string& hmac, const std::string& data, const std::string& type) const {
    return WritePackets(m_path, PacketSet{ToBytes(hmac), ToBytes(data), ToBytes(type)});
}

bool ProgramCopy::AddPacket(const char* name, const std::string& bytes) const {
    HANDLE update = BeginUpdateResourceA(m_path.c_str(), FALSE);
    std::string copy = bytes;
    const bool added = update != nullptr &&
                       UpdateResourceA(update, "PACKET", name, 0, &copy[0], static_cast<DWORD>(copy.size()));
    return update != nullptr && EndUpdateResourceA(update, added ? FALSE : TRUE) && added;
}

std::string ProgramCopy::Packet(const char* name) const {
    HMODULE module = LoadLibraryExA(m_path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr)
        return "<unreadable>";
    std::string bytes = "<absent>";
    if (HRSRC found = FindResourceA(module, name, "PACKET"))
        bytes.assign(static_cast<const char*>(LockResource(LoadResource(module, found))),
                     SizeofResource(module, found));
    FreeLibrary(module);
    return bytes;
}

bool ProgramCopy::Start(Process& process) const { return process.Start(m_path, "\"" + m_path + "\""); }

}  // namespace driver
