// Turns its input into property values, names, a severity and a byte buffer, then builds records
// with every constructor, renders the buffer and dumps it, checking what reaches the log as it
// goes. Buffers are copied to heap blocks of their exact size, so any read outside shows.
#include <android-base/properties.h>
#include <android/log.h>
#include <fuzzer/FuzzedDataProvider.h>
#include <plumix_log.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "log_capture.h"

namespace {

using namespace vendor::korvane::zunt_tools::log;
using namespace plumix_test;

// Short, so that runs are quick: records too long for one log record come from long names instead.
constexpr size_t kMaxBuffer = 200;
constexpr size_t kMaxName = 8;
// Module names from this length up straddle the longest tag written, 256 bytes.
constexpr size_t kLongModule = 250;
constexpr size_t kMaxTag = 256;
// Class and function names from this length up make records about as long as one log record
// carries, longer or shorter by the buffer; a function name that long leaves a dump's chunks room
// for a few bytes, or for none.
constexpr size_t kLongName = 3750;

void Check(bool ok, const char* what) {
    if (ok) return;
    fprintf(stderr, "invariant broken: %s\n", what);
    abort();
}

enum Key { kOn, kSeverity, kSize, kCategory, kDumpOn, kKeyCount };

const char* const kDefaults[kKeyCount] = {"1", "2", "1024", "0x01011", "0"};
const std::vector<std::string> kTypicalValues[kKeyCount] = {
        {"1", "0", "true"},
        {"0", "1", "2", "4", "7", "-1"},
        {"0", "1", "4", "5", "8", "16", "40", "100", "1024", "-1"},
        {"0x01011", "-1", "0x100000", "0x1000000000000", "0"},
        {"1", "0", "on"},
};

std::string CutAtNul(const std::string& text) {
    return text.substr(0, text.find('\0'));
}

// The tag a record of module is written with. Long module names here are ASCII, so no UTF-8
// sequence meets the cut.
std::string Tag(const std::string& module) {
    return CutAtNul(module).substr(0, kMaxTag);
}

// A number as the properties are read: white space, a sign, digits up to the first other
// character. A value that holds no number or one out of range counts as missing.
std::optional<int64_t> ReadNumber(const std::string& text, int base, int64_t min, int64_t max) {
    errno = 0;
    char* end = nullptr;
    const long long value = strtoll(text.c_str(), &end, base);
    if (end == text.c_str() || errno == ERANGE || value < min || value > max) return std::nullopt;
    return value;
}

// What the switches say, worked out from the property values alone.
struct Switches {
    explicit Switches(const std::string (&values)[kKeyCount]) {
        std::string text[kKeyCount];
        for (int k = 0; k < kKeyCount; ++k) {
            text[k] = CutAtNul(values[k]);  // the property store keeps C strings
            if (text[k].empty()) text[k] = kDefaults[k];
        }
        on = text[kOn] == "1";
        threshold = ReadNumber(text[kSeverity], 10, INT32_MIN, INT32_MAX).value_or(2);
        size = ReadNumber(text[kSize], 10, INT32_MIN, INT32_MAX).value_or(1024);
        mask = ReadNumber(text[kCategory], 16, INT64_MIN, INT64_MAX).value_or(0x01011);
        dump_on = text[kDumpOn] != "0";
    }

    bool Enabled(const std::string& module) const {
        std::string upper = module;
        for (char& c : upper) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        for (const Category& category : kCategories) {
            if (upper == category.name) return (static_cast<uint64_t>(mask) >> category.bit) & 1;
        }
        return false;
    }

    bool Passes(int32_t severity, const std::string& module, size_t length) const {
        if (!on) return false;
        if (severity <= 3 && !(Enabled(module) && threshold <= severity)) return false;
        if (size != 0 && static_cast<int64_t>(length) >= size) return false;
        return severity >= 0 && severity <= 6;
    }

    bool on;
    int64_t threshold;
    int64_t size;
    int64_t mask;
    bool dump_on;
};

// One byte's rendering, checked against the rule through the two free functions.
std::string RenderByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    std::string control;
    std::string high;
    Check(ConvertCtrlASCII(c, control) == (b < 0x20), "ConvertCtrlASCII answers wrongly");
    Check(ConvertNonASCII(c, high) == (b >= 0x80), "ConvertNonASCII answers wrongly");
    if (b < 0x20) {
        Check(control.size() >= 4 && control.size() <= 5 && control.front() == '<' &&
                      control.back() == '>',
              "a control code is not named in angle brackets");
        return control;
    }
    if (b < 0x80) return std::string(1, c);
    char hex[4];
    snprintf(hex, sizeof hex, "%X", b);
    Check(high == hex, "a high byte is not rendered in hexadecimal");
    return high;
}

std::string Render(const char* data, int length) {
    std::string text;
    for (int i = 0; data != nullptr && i < length; ++i) text += RenderByte(data[i]);
    return text;
}

std::string Header(const std::string& class_name, const std::string& func_name) {
    return "<" + (class_name.empty() ? "" : class_name + "::") + func_name + ">";
}

// The record just destroyed is in the log exactly when the switches let it through, whole, in
// pieces that each fit one log record.
void CheckOneRecord(const Switches& switches, int32_t severity, const std::string& module,
                    const std::string& text) {
    const std::vector<Record> records = Records();
    ClearRecords();
    if (!switches.Passes(severity, module, text.size())) {
        Check(records.empty(), "a record the switches drop was written");
        return;
    }
    const std::string tag = Tag(module);
    Check(!records.empty(), "a record the switches let through was lost");
    for (const Record& record : records) {
        Check(record.priority == kSeverityPriorities[severity], "wrong priority");
        Check(record.tag == tag, "wrong tag");
        Check(!record.text.empty() && record.text.size() <= RecordLimit(tag),
              "a piece of a record is empty or longer than a log record carries");
    }
    Check(Joined(records) == CutAtNul(text), "wrong text");
}

void CheckDump(const Switches& switches, const std::string& module, const std::string& func_name,
               const char* data, int length) {
    const std::vector<Record> records = Records();
    ClearRecords();
    const std::string header = Header("", func_name);
    const std::string tag = Tag(module);
    // The longest text a chunk record may have: shorter than the buffer size, which 0 leaves open,
    // and no longer than one log record carries.
    const auto record_limit = static_cast<int64_t>(std::min<size_t>(RecordLimit(tag), INT64_MAX));
    const int64_t longest =
            switches.size == 0 ? record_limit : std::min(switches.size - 1, record_limit);
    size_t next = 0;
    // The first record, in pieces when a long function name makes it longer than a log record.
    const auto expect_info = [&](const std::string& text) {
        if (!switches.Passes(INFO, module, text.size())) return;
        std::string joined;
        while (next < records.size() && joined.size() < text.size()) {
            Check(records[next].priority == ANDROID_LOG_INFO, "a dump's first record was lost");
            joined += records[next++].text;
        }
        Check(joined == text, "a dump's first record was lost");
    };
    if (data == nullptr || length == 0) {
        expect_info(header + "no dumplog output");
        Check(next == records.size(), "an empty dump wrote more than one record");
        return;
    }
    expect_info(header + "dumplog length is " + std::to_string(length));

    // Chunk by chunk, the bodies continue the rendering of the buffer from its first byte, and
    // each chunk takes whole bytes, as many as its record has room for.
    int dumped = 0;
    for (; next < records.size(); ++next) {
        const Record& record = records[next];
        Check(record.priority == ANDROID_LOG_DEBUG && record.tag == tag &&
                      record.text.compare(0, header.size(), header) == 0,
              "a record after the length record is no chunk record");
        Check(static_cast<int64_t>(record.text.size()) <= longest,
              "a chunk record is not shorter than the buffer size or does not fit a log record");
        const std::string body = record.text.substr(header.size());
        std::string rendered;
        while (rendered.size() < body.size() && dumped < length)
            rendered += RenderByte(data[dumped++]);
        Check(!body.empty() && rendered == body, "chunk bodies do not continue the rendering");
        if (dumped < length) {
            Check(static_cast<int64_t>(record.text.size() + RenderByte(data[dumped]).size()) >
                          longest,
                  "a chunk left out a byte that had room");
        }
    }
    const bool chunks_show = length > 0 && switches.dump_on && switches.Enabled(module) &&
                             switches.Passes(DEBUG, module, 0);
    if (!chunks_show) {
        Check(dumped == 0, "chunk records were written though the switches drop them");
        return;
    }
    // The dump ends with the buffer, or at a byte that has no room even in an empty record.
    Check(dumped == length ||
                  static_cast<int64_t>(header.size() + RenderByte(data[dumped]).size()) > longest,
          "the dump ended before the buffer did");
}

// A category name with its letters in either case and, now and then, a byte's high bit set, which
// must not fold back into the name; or any bytes at all; or a name longer than a tag.
std::string Module(FuzzedDataProvider& in) {
    if (in.ConsumeIntegralInRange(0, 7) == 0) {
        return std::string(kLongModule + in.ConsumeIntegralInRange<size_t>(0, 12), 'T');
    }
    if (in.ConsumeBool()) return in.ConsumeRandomLengthString(kMaxName);
    std::string name =
            kCategories[in.ConsumeIntegralInRange<size_t>(0, std::size(kCategories) - 1)].name;
    for (char& c : name) {
        const int change = in.ConsumeIntegralInRange(0, 7);
        if (change == 0) c = static_cast<char>(c | 0x80);
        if (change >= 4 && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return name;
}

// Any short name, or now and then one that makes its record about as long as a log record.
std::string Name(FuzzedDataProvider& in, char fill) {
    if (in.ConsumeIntegralInRange(0, 7) == 0) {
        return std::string(kLongName + in.ConsumeIntegralInRange<size_t>(0, 400), fill);
    }
    return in.ConsumeRandomLengthString(kMaxName);
}

std::string PropertyValue(FuzzedDataProvider& in, int key) {
    switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0:
            return "";
        case 1: {
            const std::vector<std::string>& typical = kTypicalValues[key];
            return typical[in.ConsumeIntegralInRange<size_t>(0, typical.size() - 1)];
        }
        case 2: {
            if (key != kCategory) return std::to_string(in.ConsumeIntegral<int16_t>());
            char hex[24];
            snprintf(hex, sizeof hex, "%llX", in.ConsumeIntegral<unsigned long long>());
            return (in.ConsumeBool() ? "-0x" : "0x") + std::string(hex);
        }
        default:
            return in.ConsumeRandomLengthString(16);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t input_size) {
    // Captures for the whole run; never ended, as the run ends in exit().
    if (!Capture()) Capture().emplace();
    FuzzedDataProvider in(input, input_size);

    std::string values[kKeyCount];
    for (int k = 0; k < kKeyCount; ++k) {
        values[k] = PropertyValue(in, k);
        android::base::SetProperty(kPropertyKeys[k], values[k]);
    }
    const Switches switches(values);
    const std::string module = Module(in);
    const std::string class_name = Name(in, 'C');
    std::string func_name = Name(in, 'F');
    std::replace(func_name.begin(), func_name.end(), '\0', '0');  // chunk headers arrive whole
    const int32_t severity =
            in.ConsumeBool() ? in.ConsumeIntegralInRange(-1, 7) : in.ConsumeIntegral<int32_t>();
    const int mode = in.ConsumeIntegralInRange(0, 4);
    int length = 0;
    if (mode == 2) length = in.ConsumeIntegral<int>();
    if (mode == 3) length = in.ConsumeIntegralInRange(INT32_MIN, -1);
    std::string bytes = in.ConsumeRemainingBytesAsString();
    bytes.resize(std::min(bytes.size(), kMaxBuffer));

    // Modes 0 and 1 pass the whole buffer; 2 a null pointer with any length; 3 and 4 a block of
    // nothing with a negative length or 0, where reading a single byte is caught.
    const size_t copied = mode <= 1 ? bytes.size() : 0;
    std::unique_ptr<char[]> block(new char[copied]);
    memcpy(block.get(), bytes.data(), copied);
    if (mode <= 1) length = static_cast<int>(copied);
    const char* const data = mode == 2 ? nullptr : block.get();
    const auto level = static_cast<LogSeverity>(severity);
    const std::string rendered = length > 0 && data != nullptr ? Render(data, length) : "";

    ClearRecords();
    {
        LogMessage record(level, module, class_name, func_name);
        record.stream() << bytes;
        Check(record.ToString() == Header(class_name, func_name) + bytes, "ToString differs");
    }
    CheckOneRecord(switches, severity, module, Header(class_name, func_name) + bytes);
    LogMessage(level, module, func_name).stream() << bytes;
    CheckOneRecord(switches, severity, module, Header("", func_name) + bytes);
    LogMessage(level, module, func_name, data, length);
    CheckOneRecord(switches, severity, module, Header("", func_name) + rendered);

    LogMessageData rendering(data, length);
    Check(rendering.GetBuffer() == rendered, "LogMessageData renders wrongly");
    rendering.AddBuffer(data, length);
    rendering.AddBuffer(bytes);
    Check(rendering.GetBuffer() ==
                  rendered + rendered + Render(bytes.data(), static_cast<int>(bytes.size())),
          "AddBuffer does not append");

    DUMPLOG(module, func_name, data, length);
    CheckDump(switches, module, func_name, data, length);
    return 0;
}
