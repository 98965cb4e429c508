// A vendor program's view of the library: the public header alone, linked against
// libplumix_log.so alone, reaching every exported operation once. The exit status is the number
// of the first wrong result; the records themselves go to the Android log, out of sight here.
#include <plumix_log.h>

int main() {
    using namespace vendor::korvane::zunt_tools;
    const char bytes[] = {'A', '\n', '\xFF', 'B'};
    const std::string kRendered = "A<LF>FFB";

    {
        log::LogMessage message(log::INFO, "VELK", "Hal", "run");
        message.stream() << "id " << 42;
        if (message.ToString() != "<Hal::run>id 42") return 1;
    }
    if (log::LogMessage(log::WARNING, "VELK", "probe").ToString() != "<probe>") return 2;
    if (log::LogMessage(log::DEBUG, "VELK", "rx", bytes, 4).ToString() != "<rx>" + kRendered) {
        return 3;
    }

    log::LogMessageData data(bytes, 4);
    if (data.GetBuffer() != kRendered) return 4;
    data.AddBuffer("\0", 1);
    std::string text = "\x1F~";
    data.AddBuffer(text);
    if (data.GetBuffer() != kRendered + "<NUL><US>~") return 5;

    std::string out;
    if (!log::ConvertCtrlASCII('\r', out) || log::ConvertCtrlASCII(' ', out)) return 6;
    if (!log::ConvertNonASCII('\x80', out) || log::ConvertNonASCII('\x7F', out)) return 7;
    if (out != "<CR>80") return 8;

    const std::string velk = "VELK";
    if (!log::IsLoggable(log::INFO, velk) || log::IsLoggable(log::DEBUG, "VELK")) return 9;
    int streamed = 0;
    PLUMIX_LOG(INFO, "VELK") << "id " << ++streamed;
    PLUMIX_LOG_CLASS(DEBUG, "VELK", "Hal") << "id " << ++streamed;  // below the threshold
    if (streamed != 1) return 10;
    PLUMIX_LOG_FIRST_N(INFO, "VELK", 1) << "first";

    DUMPLOG("VELK", "rx", bytes, 4);
    PLUMIX_DUMP("VELK", bytes, 4);
    return 0;
}
