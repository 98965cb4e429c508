// A small camera HAL as a vendor program writes one, logging through the macros. make demo shows
// each method beside the records it writes.
//   plumix_log_example [open|frames|calibrate|receive]...   (none: all four, in this order)
#include <fcntl.h>
#include <plumix_log.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

class CameraHal {
  public:
    void Open(int streams) {
        PLUMIX_LOG_CLASS(INFO, "VELK", "CameraHal") << "opened, " << streams << " streams";
        PLUMIX_LOG_CLASS(DEBUG, "VELK", "CameraHal") << "sensor mode " << sensor_mode_;
    }

    void OnFrame(int number) {
        PLUMIX_LOG_EVERY_N(INFO, "VELK", 3) << "frame " << number << " of the stream";
    }

    void Calibrate(const char* path) {
        const int fd = open(path, O_RDONLY);
        if (fd < 0) {
            PLUMIX_PLOG(ERROR, "VELK") << "open " << path;
            return;
        }
        close(fd);
    }

    void Receive(const std::vector<uint8_t>& packet) { PLUMIX_DUMP("VELK", packet, packet.size()); }

  private:
    int sensor_mode_ = 4;
};

void Run(CameraHal& hal, const std::string& step) {
    if (step == "open") hal.Open(2);
    if (step == "frames") {
        for (int number = 1; number <= 7; ++number) hal.OnFrame(number);
    }
    if (step == "calibrate") hal.Calibrate("/no/calib");
    if (step == "receive") {
        std::vector<uint8_t> packet = {'H', 'D', 'R', 0x00, 0x01, 0x1B};
        for (char c : std::string("frame 42, exposure 1/120 s, gain 4")) packet.push_back(c);
        packet.insert(packet.end(), {0x80, 0xFE, 0xFF, '\r', '\n'});
        hal.Receive(packet);
    }
}

}  // namespace

int main(int argc, char** argv) {
    CameraHal hal;
    const std::vector<std::string> steps =
            argc > 1 ? std::vector<std::string>(argv + 1, argv + argc)
                     : std::vector<std::string>{"open", "frames", "calibrate", "receive"};
    for (const std::string& step : steps) Run(hal, step);
    return 0;
}
