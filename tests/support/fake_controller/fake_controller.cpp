// A controller plug-in for the tests. Tests copy it into a plug-in folder as
// ctrl_<name>.so; a copy whose name holds "fail" refuses to initialise. The test reaches
// the loaded copy through the extra exports below (dlopen with RTLD_NOLOAD on its path).
#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "plugins/controller_plugin.h"

namespace {

ControllerPluginRecord gRecord;
std::mutex gMutex;
std::string gCalls;

void Note(const std::string& call) {
    std::lock_guard lock(gMutex);
    if (!gCalls.empty()) gCalls += ",";
    gCalls += call;
}

std::string OwnFileName() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&OwnFileName), &info) && info.dli_fname) return info.dli_fname;
    return {};
}

int32_t Init() {
    Note("Init");
    const std::string file = OwnFileName();
    const size_t slash = file.rfind('/');
    return file.find("fail", slash == std::string::npos ? 0 : slash) == std::string::npos ? 1 : 0;
}

void Shutdown() { Note("Shutdown"); }

void LoadSettings(const char* fileName) { Note(std::string("LoadSettings:") + fileName); }

void SaveSettings(const char* fileName) {
    Note(std::string("SaveSettings:") + fileName);
    if (FILE* f = std::fopen(fileName, "w")) {
        std::fputs("[FakeController]\nSaved=1\n", f);
        std::fclose(f);
    }
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) ControllerPluginRecord* GetControllerPlugin(void) {
    gRecord.Init = Init;
    gRecord.Shutdown = Shutdown;
    gRecord.LoadSettings = LoadSettings;
    gRecord.SaveSettings = SaveSettings;
    return &gRecord;
}

// Sends one command on the calling thread, as a receiver would.
__attribute__((visibility("default"))) void FakeControllerSend(const char* command) {
    if (gRecord.Callback) gRecord.Callback(command, &gRecord);
}

// Sends the commands in order from a thread of the plug-in's own and waits for it.
__attribute__((visibility("default"))) void FakeControllerSendFromThread(const char* const* commands, int count) {
    std::vector<std::string> copy(commands, commands + count);
    std::thread sender([copy] {
        for (const std::string& command : copy) FakeControllerSend(command.c_str());
    });
    sender.join();
}

// The entry points called so far, joined with ",".
__attribute__((visibility("default"))) const char* FakeControllerCalls(void) {
    static std::string copy;
    std::lock_guard lock(gMutex);
    copy = gCalls;
    return copy.c_str();
}

__attribute__((visibility("default"))) const ControllerPluginRecord* FakeControllerRecord(void) { return &gRecord; }
}
