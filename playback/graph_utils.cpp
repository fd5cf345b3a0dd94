#include "playback/graph_utils.h"

#include <gst/gst.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <mutex>

#include "core/base/text_utils.h"

namespace tunecrest {

namespace {
constexpr int kGraphVolumeRange = 8000;
}

// Rounding is to the nearest value with halves to the even neighbour, as the settings
// files written by earlier versions expect; every byte survives a round trip.
int VolumeByteToGraph(uint8_t volume) {
    const int level = int(std::nearbyint(double(volume) / 255.0 * kGraphVolumeRange)) - kGraphVolumeRange;
    return std::min(level, 0);
}

uint8_t VolumeGraphToByte(int graphVolume) {
    const int shifted = std::max(graphVolume + kGraphVolumeRange, 0);
    const double value = std::nearbyint(double(shifted) * 255.0 / kGraphVolumeRange);
    return uint8_t(std::min(value, 255.0));
}

double GraphVolumeToLinear(int graphVolume) { return std::pow(10.0, double(graphVolume) / 100.0 / 20.0); }

namespace {
// Calls `visit` with each audio output and its display name until it returns true.
void ForEachAudioDevice(const std::function<bool(GstDevice*, const std::string&)>& visit) {
    if (!EnsureGStreamer()) return;
    GstDeviceMonitor* monitor = gst_device_monitor_new();
    gst_device_monitor_add_filter(monitor, "Audio/Sink", nullptr);
    if (gst_device_monitor_start(monitor)) {
        GList* devices = gst_device_monitor_get_devices(monitor);
        for (GList* item = devices; item; item = item->next) {
            gchar* name = gst_device_get_display_name(GST_DEVICE(item->data));
            const bool done = name && visit(GST_DEVICE(item->data), name);
            g_free(name);
            if (done) break;
        }
        g_list_free_full(devices, gst_object_unref);
        gst_device_monitor_stop(monitor);
    }
    gst_object_unref(monitor);
}
}  // namespace

std::vector<std::string> GetAudioRendererNames() {
    std::vector<std::string> names;
    ForEachAudioDevice([&](GstDevice*, const std::string& name) {
        names.push_back(name);
        return false;
    });
    return names;
}

GstDevice* FindAudioDevice(const std::string& displayName) {
    GstDevice* found = nullptr;
    ForEachAudioDevice([&](GstDevice* device, const std::string& name) {
        if (name != displayName) return false;
        found = GST_DEVICE(gst_object_ref(device));
        return true;
    });
    return found;
}

namespace {
std::mutex gSinkMakerMutex;
TaudioSinkMaker gSinkMaker;
}  // namespace

void SetAutomaticAudioSinkMaker(TaudioSinkMaker maker) {
    std::lock_guard lock(gSinkMakerMutex);
    gSinkMaker = std::move(maker);
}

GstElement* MakeAutomaticAudioSink() {
    TaudioSinkMaker maker;
    {
        std::lock_guard lock(gSinkMakerMutex);
        maker = gSinkMaker;
    }
    if (maker) return maker();
    return EnsureGStreamer() ? gst_element_factory_make("autoaudiosink", nullptr) : nullptr;
}

bool HoldsSilentStandIn(GstElement* sink) {
    if (!sink) return false;
    auto isFake = [](GstElement* e) {
        GstElementFactory* factory = gst_element_get_factory(e);
        return factory && g_strcmp0(GST_OBJECT_NAME(factory), "fakesink") == 0;
    };
    if (isFake(sink)) return true;
    if (!GST_IS_BIN(sink)) return false;
    bool found = false;
    GstIterator* it = gst_bin_iterate_recurse(GST_BIN(sink));
    GValue item = G_VALUE_INIT;
    while (!found && gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        found = isFake(GST_ELEMENT(g_value_get_object(&item)));
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
    return found;
}

std::string FindKaraokeGraphics(const std::string& mediaFile) {
    namespace fs = std::filesystem;
    const fs::path path(mediaFile);
    if (SameText(path.extension().string(), ".cdg")) return "";
    for (const char* extension : {".cdg", ".CDG"}) {
        fs::path companion = path;
        companion.replace_extension(extension);
        std::error_code ec;
        if (fs::is_regular_file(companion, ec)) return companion.string();
    }
    return "";
}

bool EnsureGStreamer(std::string* error) {
    static std::once_flag once;
    static bool started = false;
    static std::string reason;
    std::call_once(once, [] {
        GError* failure = nullptr;
        started = gst_init_check(nullptr, nullptr, &failure);
        if (!started) reason = failure ? failure->message : "GStreamer could not be started.";
        if (failure) g_error_free(failure);
    });
    if (!started && error) *error = reason;
    return started;
}

}  // namespace tunecrest
