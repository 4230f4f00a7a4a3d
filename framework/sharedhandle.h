// The shared records of the handle wrappers. A wrapper holds a pointer to the
// one record of its handle, registered in one of the application's handle
// maps; the record counts the wrappers that point to it, and the last one to
// let go removes it from the map and frees it.
#pragma once

#include <windows.h>

#include <cassert>

#include "framework/appcore.h"

namespace Casement {

// The Prepare step of records that need nothing beyond their handle.
template <typename Record>
void NothingToPrepare(Record&) {}

// The record handling of one kind of wrapper. Record starts with a count of 1
// and has an isOwned flag; HandleOf is its handle field and MapOf the
// application's map of such records. Prepare fills in a new record whose
// handle is already set. Free gives back, at the last reference, what the
// record holds, deleting the handle only when isOwned is set; the record is
// out of the map by then, and deleted after it.
template <typename Handle, typename Record, Handle Record::*HandleOf,
          CHandleMap<Handle, Record>& (CWinApp::*MapOf)(), void (*Free)(Record&),
          void (*Prepare)(Record&) = NothingToPrepare<Record>>
class CSharedHandle {
public:
    // Drops record's reference, then points it to the record of handle: the
    // one other wrappers share, or a new one registered in the map. owned
    // makes the last reference delete the handle.
    static void Share(Record*& record, Handle handle, bool owned) {
        assert(handle);
        Release(record);
        CHandleMap<Handle, Record>& map = (GetApp().*MapOf)();
        // The look-up and the count change must not be split, or another
        // thread could free the record in between.
        CThreadLock guard(map.GetLock());
        Record* data = map.Find(handle);
        if (data != nullptr) {
            InterlockedIncrement(&data->count);
        } else {
            data = new Record;
            data->*HandleOf = handle;
            Prepare(*data);
            map.Add(handle, data);
        }
        if (owned) data->isOwned = true;
        record = data;
    }

    // A new reference to other's record, for a copy-constructed wrapper.
    static Record* Copy(Record* other) {
        if (other != nullptr) InterlockedIncrement(&other->count);
        return other;
    }

    // Makes record share other's record, for copy assignment.
    static void Assign(Record*& record, Record* other) {
        if (other == record) return;
        Copy(other);
        Release(record);
        record = other;
    }

    // Drops record's reference and nulls it; the last reference unregisters
    // the record, frees what it holds and deletes it.
    static void Release(Record*& record) {
        Record* data = record;
        if (data == nullptr) return;
        record = nullptr;
        if (!DropReference(*data)) return;
        Free(*data);
        delete data;
    }

private:
    // Drops one reference to data; true when it was the last, which is then
    // out of the map. The maps go with the application object, so a wrapper
    // that outlives it only counts down.
    static bool DropReference(Record& data) {
        CWinApp* app = GetAppPtr();
        if (app == nullptr) return InterlockedDecrement(&data.count) == 0;
        CHandleMap<Handle, Record>& map = (app->*MapOf)();
        CThreadLock guard(map.GetLock());
        if (InterlockedDecrement(&data.count) > 0) return false;
        map.Remove(data.*HandleOf);
        return true;
    }
};

}  // namespace Casement
