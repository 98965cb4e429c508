// A property area as bionic keeps one, in memory: properties are never removed; each has a serial
// that changes with every write, odd while a write is under way, when readers get the value from
// before it; the area's serial changes with every write and every new property. Readers take no
// lock, and the serial functions are one acquire load each, as on bionic.
#include "property_area.h"

#include <android-base/properties.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <utility>

#include "../src/switches/property_area.h"

struct prop_info {
    std::string name;
    std::atomic<uint32_t> serial{0};
    std::atomic<const char*> value{nullptr};
    std::atomic<const char*> value_before{nullptr};
};

namespace {

struct Area {
    static constexpr size_t kCapacity = 64;
    prop_info properties[kCapacity];
    std::atomic<size_t> count{0};
    std::atomic<uint32_t> serial{0};
    std::atomic<size_t> lookups{0};
    std::atomic<size_t> value_reads{0};
    std::mutex writer;
    // Every value ever set, so that a reader may still hold an old one.
    std::vector<std::unique_ptr<char[]>> values;
};

// Never destroyed: records may read it while the process exits.
Area* const area = new Area;

// Kept only on threads that asked for them, so that the serial functions stay one load elsewhere.
thread_local bool t_recording = false;
thread_local std::vector<std::string> t_consulted;

void Consulted(const std::string& key) {
    if (t_recording) t_consulted.push_back(key);
}

const char* Keep(const std::string& value) {
    area->values.push_back(std::make_unique<char[]>(value.size() + 1));
    return std::strcpy(area->values.back().get(), value.c_str());
}

prop_info* Find(const std::string& key) {
    const size_t count = area->count.load(std::memory_order_acquire);
    for (size_t i = 0; i < count; ++i) {
        if (area->properties[i].name == key) return &area->properties[i];
    }
    return nullptr;
}

uint32_t SerialFor(const std::string& value, uint32_t counter) {
    return static_cast<uint32_t>(value.size()) << 24 | (counter & 0x7FFFFF) << 1;
}

void Set(const std::string& key, const std::string& value, bool create_when_empty) {
    std::lock_guard<std::mutex> lock(area->writer);
    prop_info* info = Find(key);
    if (info == nullptr) {
        if (value.empty() && !create_when_empty) return;
        if (area->count.load() == Area::kCapacity) std::abort();
        info = &area->properties[area->count.load()];
        info->name = key;
        info->value.store(Keep(value));
        info->serial.store(SerialFor(value, 0));
        area->count.fetch_add(1, std::memory_order_release);
    } else {
        const uint32_t serial = info->serial.load();
        info->value_before.store(info->value.load());
        info->serial.store(serial | 1, std::memory_order_release);
        info->value.store(Keep(value), std::memory_order_release);
        info->serial.store(SerialFor(value, (serial >> 1) + 1), std::memory_order_release);
    }
    area->serial.fetch_add(1, std::memory_order_release);
}

}  // namespace

extern "C" const prop_info* __system_property_find(const char* name) {
    area->lookups.fetch_add(1, std::memory_order_relaxed);
    Consulted(name);
    return Find(name);
}

extern "C" uint32_t __system_property_serial(const prop_info* pi) {
    Consulted(pi->name);
    return pi->serial.load(std::memory_order_acquire);
}

extern "C" uint32_t __system_property_area_serial() {
    return area->serial.load(std::memory_order_acquire);
}

extern "C" void __system_property_read_callback(const prop_info* pi,
                                                void (*callback)(void* cookie, const char* name,
                                                                 const char* value,
                                                                 uint32_t serial),
                                                void* cookie) {
    area->value_reads.fetch_add(1, std::memory_order_relaxed);
    uint32_t serial = pi->serial.load(std::memory_order_acquire);
    const char* value;
    for (;;) {
        value = (serial & 1) != 0 ? pi->value_before.load(std::memory_order_acquire)
                                  : pi->value.load(std::memory_order_acquire);
        const uint32_t again = pi->serial.load(std::memory_order_acquire);
        if (again == serial) break;
        serial = again;
    }
    callback(cookie, pi->name.c_str(), value, serial);
}

namespace android {
namespace base {

bool SetProperty(const std::string& key, const std::string& value) {
    Set(key, value, false);
    return true;
}

}  // namespace base
}  // namespace android

namespace plumix_test {

size_t PropertyLookups() {
    return area->lookups.load();
}

size_t PropertyValueReads() {
    return area->value_reads.load();
}

void SetAreaProperty(const std::string& key, const std::string& value) {
    Set(key, value, true);
}

std::vector<std::string> TakeConsultedKeys() {
    t_recording = true;
    return std::exchange(t_consulted, {});
}

}  // namespace plumix_test
