// Constructs the application object, runs it and destroys it; framework
// exceptions that escape are shown to the user. Returns the exit code.
#pragma once

#include <windows.h>

#include <cstring>
#include <new>

#include "framework/appcore.h"
#include "framework/cexception.h"

template <typename App>
int RunApplication() {
    try {
        // The object starts from zero-filled storage, as it always has;
        // its members are initialised by their own declarations too.
        alignas(App) unsigned char storage[sizeof(App)];
        std::memset(storage, 0, sizeof storage);
        struct Destroyer {
            App* app;
            ~Destroyer() { app->~App(); }
        } owner{new (storage) App};

        return owner.app->Execute();
    } catch (const Casement::CException& e) {
        MessageBoxA(nullptr, e.GetText(), e.what(), MB_ICONERROR | MB_SYSTEMMODAL);
        return -1;
    }
}
