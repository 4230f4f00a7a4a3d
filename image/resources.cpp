#include "image/resources.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <tuple>

namespace {

const char kPacketType[] = "PACKET";
const char kHmacName[] = "HMAC";
const char kDataName[] = "DATA";
const char kTypeName[] = "TYPE";

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
    bool operator<(const ResourceKey& other) const {
        return std::tie(isId, id, text) < std::tie(other.isId, other.id, other.text);
    }
    bool operator==(const ResourceKey& other) const {
        return std::tie(isId, id, text) == std::tie(other.isId, other.id, other.text);
    }
};

struct Resource {
    ResourceKey type;
    ResourceKey name;
    WORD language;
    std::vector<unsigned char> bytes;

    bool operator<(const Resource& other) const {
        return std::tie(type, name, language) < std::tie(other.type, other.name, other.language);
    }
    bool operator==(const Resource& other) const {
        return std::tie(type, name, language, bytes) == std::tie(other.type, other.name, other.language, other.bytes);
    }
};

// Every resource of an image. A resource that cannot be read fails the whole
// collection: what is not collected would be lost when the store is rebuilt.
struct Collection {
    HMODULE module;
    bool withPackets;  // the embedded document's entries too
    std::vector<Resource> resources;
    ResourceKey currentType;
    ResourceKey currentName;
    bool failed = false;
};

// Runs one step of a collection inside the system's enumeration: an
// exception (memory running out) must not cross the system's code, so it
// fails the collection instead, which fails the save.
template <typename Step>
BOOL Collecting(LONG_PTR context, Step step) {
    auto* collection = reinterpret_cast<Collection*>(context);
    try {
        return step(collection);
    } catch (...) {
        collection->failed = true;
        return FALSE;
    }
}

BOOL CollectLanguageStep(HMODULE module, WORD language, Collection* collection) {
    HRSRC found = FindResourceExA(module, collection->currentType.Get(), collection->currentName.Get(), language);
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const auto* bytes = static_cast<const unsigned char*>(loaded != nullptr ? LockResource(loaded) : nullptr);
    const DWORD size = found != nullptr ? SizeofResource(module, found) : 0;
    // An empty resource cannot be written back on every platform.
    if (bytes == nullptr || size == 0) {
        collection->failed = true;
        return FALSE;
    }
    collection->resources.push_back(
        Resource{collection->currentType, collection->currentName, language, {bytes, bytes + size}});
    return TRUE;
}

BOOL CALLBACK CollectLanguage(HMODULE module, LPCSTR, LPCSTR, WORD language, LONG_PTR context) {
    return Collecting(context, [&](Collection* collection) {
        return CollectLanguageStep(module, language, collection);
    });
}

BOOL CALLBACK CollectName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR context) {
    return Collecting(context, [&](Collection* collection) {
        collection->currentName = ResourceKey::From(name);
        if (!EnumResourceLanguagesA(module, type, name, CollectLanguage, context))
            collection->failed = true;
        return !collection->failed;
    });
}

BOOL CALLBACK CollectType(HMODULE module, LPSTR type, LONG_PTR context) {
    return Collecting(context, [&](Collection* collection) {
        collection->currentType = ResourceKey::From(type);
        if (!collection->withPackets && !IS_INTRESOURCE(type) && std::strcmp(type, kPacketType) == 0)
            return TRUE;
        if (!EnumResourceNamesA(module, type, CollectName, context))
            collection->failed = true;
        return static_cast<BOOL>(!collection->failed);
    });
}

// The resources of the image file, in a fixed order. The entries of the
// document are left out unless asked for: a save replaces them, whatever
// state they are in.
std::optional<std::vector<Resource>> CollectResources(const std::wstring& imagePath, bool withPackets) {
    HMODULE module = LoadLibraryExW(imagePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr)
        return std::nullopt;
    Collection collection{module, withPackets, {}, {}, {}};
    const bool enumerated = EnumResourceTypesA(module, CollectType, reinterpret_cast<LONG_PTR>(&collection));
    FreeLibrary(module);
    if (!enumerated || collection.failed)
        return std::nullopt;
    std::sort(collection.resources.begin(), collection.resources.end());
    return std::move(collection.resources);
}

Resource PacketResource(LPCSTR name, const std::vector<unsigned char>& bytes) {
    return Resource{ResourceKey::From(kPacketType), ResourceKey::From(name), 0, bytes};
}

// Rewrites the image's resources from scratch: deleting single entries is
// not reliable everywhere (Wine reports success and keeps them), starting
// from an empty resource store is. The file is read back afterwards: true
// only when it holds exactly the other resources it had and the packets.
bool RewriteResources(const std::wstring& imagePath, const SealedDocument* packets) {
    std::optional<std::vector<Resource>> expected = CollectResources(imagePath, false);
    if (!expected)
        return false;
    if (packets != nullptr) {
        // An empty entry cannot be written on every platform; the caller
        // never asks for one, but refuse it rather than leave a broken note.
        if (packets->hmac.empty() || packets->data.empty() || packets->type.empty())
            return false;
        expected->push_back(PacketResource(kHmacName, packets->hmac));
        expected->push_back(PacketResource(kDataName, packets->data));
        expected->push_back(PacketResource(kTypeName, packets->type));
    }

    HANDLE update = BeginUpdateResourceW(imagePath.c_str(), TRUE);
    if (update == nullptr)
        return false;
    bool ok = true;
    for (Resource& resource : *expected)
        ok = ok && UpdateResourceA(update, resource.type.Get(), resource.name.Get(), resource.language,
                                   resource.bytes.data(), static_cast<DWORD>(resource.bytes.size())) != FALSE;
    // Discard the batch when any entry failed, so the file stays as it was.
    if (EndUpdateResourceA(update, ok ? FALSE : TRUE) == FALSE || !ok)
        return false;

    std::sort(expected->begin(), expected->end());
    const std::optional<std::vector<Resource>> written = CollectResources(imagePath, true);
    return written && *written == *expected;
}

// One entry of the running image's document.
ImageResource LoadOwnPacket(LPCSTR name) {
    const HMODULE self = GetModuleHandleA(nullptr);
    ImageResource resource;
    HRSRC found = FindResourceA(self, name, kPacketType);
    if (found == nullptr)
        return resource;
    resource.found = true;
    HGLOBAL loaded = LoadResource(self, found);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes != nullptr) {
        resource.bytes = static_cast<const unsigned char*>(bytes);
        resource.size = SizeofResource(self, found);
    }
    return resource;
}

}  // namespace

OwnDocument LoadOwnDocument() {
    return OwnDocument{LoadOwnPacket(kHmacName), LoadOwnPacket(kDataName), LoadOwnPacket(kTypeName)};
}

bool WritePackets(const std::wstring& imagePath, const SealedDocument& packets) {
    return RewriteResources(imagePath, &packets);
}

bool DeletePackets(const std::wstring& imagePath) { return RewriteResources(imagePath, nullptr); }

bool ReadPackets(const std::wstring& imagePath, SealedDocument& packets) {
    const std::optional<std::vector<Resource>> resources = CollectResources(imagePath, true);
    if (!resources)
        return false;
    packets = SealedDocument();
    const ResourceKey packetType = ResourceKey::From(kPacketType);
    for (const Resource& resource : *resources) {
        if (!(resource.type == packetType) || resource.name.isId)
            continue;
        if (resource.name.text == kHmacName)
            packets.hmac = resource.bytes;
        else if (resource.name.text == kDataName)
            packets.data = resource.bytes;
        else if (resource.name.text == kTypeName)
            packets.type = resource.bytes;
    }
    return true;
}
