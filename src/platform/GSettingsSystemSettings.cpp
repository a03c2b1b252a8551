#include "platform/GSettingsSystemSettings.h"

#include "platform/Trace.h"

#define G_SETTINGS_ENABLE_BACKEND
#include <algorithm>
#include <gio/gio.h>
#include <gio/gsettingsbackend.h>

namespace quaro {
namespace {

// Owns one GObject reference.
template <typename T>
struct Unref {
    void operator()(T* object) const { g_object_unref(object); }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, Unref<T>>;

struct SchemaSourceUnref {
    void operator()(GSettingsSchemaSource* source) const { g_settings_schema_source_unref(source); }
};
struct SchemaUnref {
    void operator()(GSettingsSchema* schema) const { g_settings_schema_unref(schema); }
};

// Pointer speed 10 is the unaccelerated pointer, the desktop's 0; each step is a tenth.
double DesktopPointerSpeed(unsigned speed) {
    return (static_cast<double>(std::clamp(speed, kMinPointerSpeed, kMaxPointerSpeed)) - 10.0) /
           10.0;
}

constexpr const char* kAccelProfileKey = "accel-profile";
constexpr const char* kDoubleClickKey = "double-click";

bool HasKey(GSettings* settings, const char* key) {
    GSettingsSchema* schema = nullptr;
    g_object_get(settings, "settings-schema", &schema, nullptr);
    if (schema == nullptr) {
        return false;
    }
    const bool has = g_settings_schema_has_key(schema, key) != FALSE;
    g_settings_schema_unref(schema);
    return has;
}

}  // namespace

struct GSettingsSystemSettings::Store {
    GObjectPtr<GSettings> keyboard;
    GObjectPtr<GSettings> mouse;
    // Keys of the mouse schema that older desktops lack; the speed alone makes it usable.
    bool accelProfile = false;
    bool doubleClick = false;

    // The settings of a schema that is installed and has every key; null otherwise.
    static GSettings* Open(GSettingsSchemaSource* source, GSettingsBackend* backend, const char* id,
                           std::initializer_list<const char*> keys) {
        if (source == nullptr) {
            return nullptr;
        }
        std::unique_ptr<GSettingsSchema, SchemaUnref> schema(
            g_settings_schema_source_lookup(source, id, TRUE));
        if (!schema) {
            return nullptr;
        }
        for (const char* key : keys) {
            if (!g_settings_schema_has_key(schema.get(), key)) {
                TraceFormat("the desktop's schema %s has no key %s: not used", id, key);
                return nullptr;
            }
        }
        return g_settings_new_full(schema.get(), backend, nullptr);
    }

    void OpenAll(GSettingsSchemaSource* source, GSettingsBackend* backend) {
        keyboard.reset(Open(source, backend, kKeyboardSchema, {"delay", "repeat-interval"}));
        mouse.reset(Open(source, backend, kMouseSchema, {"speed"}));
        accelProfile = mouse && HasKey(mouse.get(), kAccelProfileKey);
        doubleClick = mouse && HasKey(mouse.get(), kDoubleClickKey);
    }
};

GSettingsSystemSettings::GSettingsSystemSettings() : m_store(std::make_unique<Store>()) {
    // The default source is owned by GIO and not referenced for us.
    m_store->OpenAll(g_settings_schema_source_get_default(), nullptr);
}

GSettingsSystemSettings::GSettingsSystemSettings(const std::filesystem::path& schemaFolder,
                                                 bool memoryBackend)
    : m_store(std::make_unique<Store>()) {
    GError* error = nullptr;
    std::unique_ptr<GSettingsSchemaSource, SchemaSourceUnref> source(
        g_settings_schema_source_new_from_directory(schemaFolder.c_str(), nullptr, FALSE, &error));
    if (!source) {
        TraceFormat("desktop settings schemas in %s cannot be read: %s", schemaFolder.c_str(),
                    error != nullptr ? error->message : "unknown error");
        g_clear_error(&error);
        return;
    }
    GObjectPtr<GSettingsBackend> backend(memoryBackend ? g_memory_settings_backend_new() : nullptr);
    m_store->OpenAll(source.get(), backend.get());
}

GSettingsSystemSettings::~GSettingsSystemSettings() = default;

bool GSettingsSystemSettings::HasKeyboard() const {
    std::lock_guard lock(m_mutex);
    return m_store->keyboard != nullptr;
}

bool GSettingsSystemSettings::HasMouse() const {
    std::lock_guard lock(m_mutex);
    return m_store->mouse != nullptr;
}

SettingApplied GSettingsSystemSettings::SetRepeatDelay(unsigned choice) {
    std::lock_guard lock(m_mutex);
    if (!m_store->keyboard) {
        Trace(
            "keyboard repeat delay not applied: the desktop's keyboard settings are not installed");
        return SettingApplied::kNotApplied;
    }
    if (!g_settings_set_uint(m_store->keyboard.get(), "delay", RepeatDelayMs(choice))) {
        Trace("keyboard repeat delay not applied: the desktop's setting is not writable");
        return SettingApplied::kFailed;
    }
    g_settings_sync();
    return SettingApplied::kApplied;
}

SettingApplied GSettingsSystemSettings::SetRepeatSpeed(unsigned speed) {
    std::lock_guard lock(m_mutex);
    if (!m_store->keyboard) {
        Trace(
            "keyboard repeat speed not applied: the desktop's keyboard settings are not installed");
        return SettingApplied::kNotApplied;
    }
    if (!g_settings_set_uint(m_store->keyboard.get(), "repeat-interval", RepeatIntervalMs(speed))) {
        Trace("keyboard repeat speed not applied: the desktop's setting is not writable");
        return SettingApplied::kFailed;
    }
    g_settings_sync();
    return SettingApplied::kApplied;
}

SettingApplied GSettingsSystemSettings::SetPointerSpeed(unsigned speed) {
    std::lock_guard lock(m_mutex);
    if (!m_store->mouse) {
        Trace("pointer speed not applied: the desktop's mouse settings are not installed");
        return SettingApplied::kNotApplied;
    }
    if (!g_settings_set_double(m_store->mouse.get(), "speed", DesktopPointerSpeed(speed))) {
        Trace("pointer speed not applied: the desktop's setting is not writable");
        return SettingApplied::kFailed;
    }
    g_settings_sync();
    return SettingApplied::kApplied;
}

SettingApplied GSettingsSystemSettings::SetPointerPrecision(bool on) {
    std::lock_guard lock(m_mutex);
    if (!m_store->accelProfile) {
        Trace("pointer precision not applied: the desktop's mouse settings have no acceleration");
        return SettingApplied::kNotApplied;
    }
    // "flat" moves the pointer by the speed alone; "adaptive" speeds up fast movements.
    if (!g_settings_set_string(m_store->mouse.get(), kAccelProfileKey, on ? "adaptive" : "flat")) {
        Trace("pointer precision not applied: the desktop's setting is not writable");
        return SettingApplied::kFailed;
    }
    g_settings_sync();
    return SettingApplied::kApplied;
}

SettingApplied GSettingsSystemSettings::SetWheelLines(unsigned lines) {
    TraceFormat("wheel lines %u not applied: the desktop keeps no such setting", lines);
    return SettingApplied::kNotApplied;
}

SettingApplied GSettingsSystemSettings::SetDoubleClickTime(unsigned ms) {
    std::lock_guard lock(m_mutex);
    if (!m_store->doubleClick) {
        Trace("double-click time not applied: the desktop's mouse settings have no such key");
        return SettingApplied::kNotApplied;
    }
    if (!g_settings_set_int(m_store->mouse.get(), kDoubleClickKey, static_cast<int>(ms))) {
        Trace("double-click time not applied: the desktop's setting is not writable");
        return SettingApplied::kFailed;
    }
    g_settings_sync();
    return SettingApplied::kApplied;
}

bool GSettingsSystemSettings::ReadRepeat(unsigned& delayMs, unsigned& intervalMs) const {
    std::lock_guard lock(m_mutex);
    if (!m_store->keyboard) {
        return false;
    }
    delayMs = g_settings_get_uint(m_store->keyboard.get(), "delay");
    intervalMs = g_settings_get_uint(m_store->keyboard.get(), "repeat-interval");
    return true;
}

bool GSettingsSystemSettings::ReadPointerSpeed(double& speed) const {
    std::lock_guard lock(m_mutex);
    if (!m_store->mouse) {
        return false;
    }
    speed = g_settings_get_double(m_store->mouse.get(), "speed");
    return true;
}

bool GSettingsSystemSettings::ReadPointerPrecision(bool& on) const {
    std::lock_guard lock(m_mutex);
    if (!m_store->accelProfile) {
        return false;
    }
    gchar* profile = g_settings_get_string(m_store->mouse.get(), kAccelProfileKey);
    on = g_strcmp0(profile, "adaptive") == 0;
    g_free(profile);
    return true;
}

bool GSettingsSystemSettings::ReadDoubleClickTime(int& ms) const {
    std::lock_guard lock(m_mutex);
    if (!m_store->doubleClick) {
        return false;
    }
    ms = g_settings_get_int(m_store->mouse.get(), kDoubleClickKey);
    return true;
}

}  // namespace quaro
