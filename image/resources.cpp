#include "image/resources.h"

#include <cstring>

namespace {

const char kPacketType[] = "PACKET";

// A resource type or name: an integer id or a string.
struct ResourceKey {
    bool isId = false;
    WORD id = 0;
    std::string text;

    static ResourceKey From(LPCSTR key) {
        ResourceKey result;
        if (IS_INTRESOURCE(key)) {
            result.isId = true;
            result.id = LOWORD(reinterpret_cast<ULONG_PTR>(key));
        } else {
            result.text = key;
        }
        return result;
    }
    LPCSTR Get() const { return isId ? MAKEINTRESOURCEA(id) : text.c_str(); }
};

struct KeptResource {
    ResourceKey type;
    ResourceKey name;
    WORD language;
    std::vector<unsigned char> bytes;
};

struct Collection {
    HMODULE module;
    std::vector<KeptResource> kept;
    ResourceKey currentType;
    ResourceKey currentName;
};

BOOL CALLBACK CollectLanguage(HMODULE module, LPCSTR, LPCSTR, WORD language, LONG_PTR context) {
    auto* collection = reinterpret_cast<Collection*>(context);
    HRSRC found = FindResourceExA(module, collection->currentType.Get(), collection->currentName.Get(), language);
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    const DWORD size = found != nullptr ? SizeofResource(module, found) : 0;
    KeptResource resource{collection->currentType, collection->currentName, language, {}};
    if (bytes != nullptr)
        resource.bytes.assign(static_cast<const unsigned char*>(bytes),
                              static_cast<const unsigned char*>(bytes) + size);
    collection->kept.push_back(std::move(resource));
    return TRUE;
}

BOOL CALLBACK CollectName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR context) {
    auto* collection = reinterpret_cast<Collection*>(context);
    collection->currentName = ResourceKey::From(name);
    EnumResourceLanguagesA(module, type, name, CollectLanguage, context);
    return TRUE;
}

BOOL CALLBACK CollectType(HMODULE module, LPSTR type, LONG_PTR context) {
    if (!IS_INTRESOURCE(type) && std::strcmp(type, kPacketType) == 0)
        return TRUE;
    auto* collection = reinterpret_cast<Collection*>(context);
    collection->currentType = ResourceKey::From(type);
    EnumResourceNamesA(module, type, CollectName, context);
    return TRUE;
}

// Every resource of the image except the embedded document's.
bool CollectOtherResources(const std::string& imagePath, std::vector<KeptResource>& kept) {
    HMODULE module = LoadLibraryExA(imagePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr)
        return false;
    Collection collection{module, {}, {}, {}};
    EnumResourceTypesA(module, CollectType, reinterpret_cast<LONG_PTR>(&collection));
    FreeLibrary(module);
    kept = std::move(collection.kept);
    return true;
}

bool UpdatePacketBytes(HANDLE update, LPCSTR name, const std::vector<unsigned char>& bytes) {
    // An empty entry cannot be written on every platform; the caller never
    // asks for one, but refuse it rather than leave a broken document.
    if (bytes.empty())
        return false;
    return UpdateResourceA(update, kPacketType, name, 0, const_cast<unsigned char*>(bytes.data()),
                           static_cast<DWORD>(bytes.size())) != FALSE;
}

// Rewrites the image's resources from scratch: deleting single entries is
// not reliable everywhere (Wine reports success and keeps them), starting
// from an empty resource store is.
bool RewriteResources(const std::string& imagePath, const PacketSet* packets) {
    std::vector<KeptResource> kept;
    if (!CollectOtherResources(imagePath, kept))
        return false;
    HANDLE update = BeginUpdateResourceA(imagePath.c_str(), TRUE);
    if (update == nullptr)
        return false;
    bool ok = true;
    for (KeptResource& resource : kept)
        ok = ok && UpdateResourceA(update, resource.type.Get(), resource.name.Get(), resource.language,
                                   resource.bytes.empty() ? nullptr : resource.bytes.data(),
                                   static_cast<DWORD>(resource.bytes.size())) != FALSE;
    if (packets != nullptr)
        ok = ok && UpdatePacketBytes(update, "HMAC", packets->hmac) && UpdatePacketBytes(update, "DATA", packets->data) &&
             UpdatePacketBytes(update, "TYPE", packets->type);
    // Discard the batch when any entry failed, so the file stays as it was.
    return EndUpdateResourceA(update, ok ? FALSE : TRUE) != FALSE && ok;
}

}  // namespace

std::string OwnImagePath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

bool HasOwnPacket(LPCSTR name) { return FindResourceA(GetModuleHandleA(nullptr), name, kPacketType) != nullptr; }

ImageResource LoadOwnPacket(LPCSTR name) {
    const HMODULE self = GetModuleHandleA(nullptr);
    ImageResource resource;
    HRSRC found = FindResourceA(self, name, kPacketType);
    if (found == nullptr)
        return resource;
    HGLOBAL loaded = LoadResource(self, found);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes != nullptr) {
        resource.bytes = static_cast<const unsigned char*>(bytes);
        resource.size = SizeofResource(self, found);
    }
    return resource;
}

bool WritePackets(const std::string& imagePath, const PacketSet& packets) {
    return RewriteResources(imagePath, &packets);
}

bool DeletePackets(const std::string& imagePath) { return RewriteResources(imagePath, nullptr); }
