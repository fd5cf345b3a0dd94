/*
 * Controller plug-in interface.
 *
 * A controller plug-in brings a remote control (an infrared receiver, a serial box, a
 * network listener) to the jukebox. It is a shared library named "ctrl_<something>.so" in
 * the "ControlPlugins" folder under the program's root folder, exporting one C function:
 *
 *     ControllerPluginRecord* GetControllerPlugin(void);
 *
 * which returns a record that lives as long as the library is loaded. The host writes its
 * slots (HostPlugin, Controller, WindowHandle, Callback), then calls Init. From then on the
 * plug-in calls Callback with command names (a button's name, say), from any thread it
 * likes, passing its own record; the host copies the name and runs the mapped action on
 * its main thread. Shutdown is called before the library is unloaded; callbacks after it
 * are ignored.
 *
 * Rules for plug-in writers:
 *  - Every slot is pointer-sized; keep the order below. Reserved slots are the plug-in's own.
 *  - Texts are zero-terminated UTF-8.
 *  - No C++ exception and no longjmp may leave an entry point.
 */
#ifndef TUNECREST_CONTROLLER_PLUGIN_H
#define TUNECREST_CONTROLLER_PLUGIN_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

struct ControllerPluginRecord;

/* The host callback: one command name, and the record of the plug-in that sends it. */
typedef void (*TcontrollerHostCallback)(const char* command, struct ControllerPluginRecord* record);

typedef struct ControllerPluginRecord {
    void* Reserved1[3];                          /* the plug-in's own */
    int32_t (*Init)(void);                       /* non-zero: initialised */
    void (*Shutdown)(void);                      /* before the library is unloaded */
    void* Reserved2[4];                          /* the plug-in's own */
    void (*LoadSettings)(const char* fileName);  /* the shared settings file (INI form) */
    void (*SaveSettings)(const char* fileName);
    void* HostPlugin;                            /* set by the host: opaque */
    void* Controller;                            /* set by the host: opaque */
    uintptr_t WindowHandle;                      /* set by the host: the main window */
    TcontrollerHostCallback Callback;            /* set by the host */
} ControllerPluginRecord;

typedef ControllerPluginRecord* (*TgetControllerPluginFunction)(void);

#define CONTROLLER_PLUGIN_EXPORT_NAME "GetControllerPlugin"

/* Each slot sits where the published 32-bit layout has it, one pointer for every 4 bytes. */
#ifdef __cplusplus
#define CONTROLLER_SLOT_AT(field, offset32) \
    static_assert(offsetof(ControllerPluginRecord, field) == (offset32) / 4 * sizeof(void*), #field)
#else
#define CONTROLLER_SLOT_AT(field, offset32) \
    _Static_assert(offsetof(ControllerPluginRecord, field) == (offset32) / 4 * sizeof(void*), #field)
#endif
CONTROLLER_SLOT_AT(Reserved1, 0x00);
CONTROLLER_SLOT_AT(Init, 0x0C);
CONTROLLER_SLOT_AT(Shutdown, 0x10);
CONTROLLER_SLOT_AT(Reserved2, 0x14);
CONTROLLER_SLOT_AT(LoadSettings, 0x24);
CONTROLLER_SLOT_AT(SaveSettings, 0x28);
CONTROLLER_SLOT_AT(HostPlugin, 0x2C);
CONTROLLER_SLOT_AT(Controller, 0x30);
CONTROLLER_SLOT_AT(WindowHandle, 0x34);
CONTROLLER_SLOT_AT(Callback, 0x38);
#undef CONTROLLER_SLOT_AT

#ifdef __cplusplus
}
#endif

#endif /* TUNECREST_CONTROLLER_PLUGIN_H */
