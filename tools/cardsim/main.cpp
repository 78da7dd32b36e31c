// cardsim: serves the simulated card on a local socket, so that the program
// can run against it with QV_HID_BACKEND=sim (by hand or from end-to-end
// tests). Commands on standard input, one a line:
// Options: --product HEX (0x001D: a zenk card), --firmware N (the version
// 0x92 and 0x26 report), --silent 92 (0x92 unanswered) or --silent both
// (0x26 too), and those in the usage line.
//   plug [PID]           plug the card in (optionally under another product id, hex)
//   unplug               pull it out
//   restart              leave and come back in the other mode, as 0x2A does
//   notify ID=VALUE...   send a 0x9E notification (decimal ids and values)
//   fault KIND [CMD] [TIMES] [SKIP]  inject a fault: noreply late wrongcmd wrongstatus
//                        badcrc writefail unplug duplicate; CMD hex (0 any), TIMES (-1 for ever),
//                        after SKIP more frames of CMD have passed
//   clear                drop every fault
//   status               print the card's state (its firmware and its last upload)
//   quit
// Each sound upload that ends (complete, left by a new one, or cut off by the
// card's removal) prints its summary: "cardsim: upload key 2: ...".
// --usb-timing paces every report as a full-speed USB card does (one per
// 1 ms interval), so an upload takes as long as on the real card.
// SIGUSR1 unplugs, SIGUSR2 plugs, SIGINT and SIGTERM end the program. The
// line "cardsim: listening on PATH" tells a script that the card is served.
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <sstream>
#include <string>

#include "platform/hid/SimWire.h"
#include "tests/support/SimCard.h"
#include "tests/support/SimCardServer.h"

namespace {

using qv::test::SimCard;
using qv::test::SimFault;

struct Options {
    std::string socketPath = qv::hid::simwire::SocketPath();
    std::uint16_t productId = SimCard::kDorbProductId;
    bool updateMode = false;
    bool unplugged = false;
    bool quiet = false;
    bool usbTiming = false;
    std::uint32_t lateMs = 700;
    std::uint32_t restartMs = 1500;
    int upgradedVersion = -1;
    int firmwareVersion = -1;
    // Version queries left unanswered: "92" (0x92 only) or "both" (0x92 and 0x26).
    std::string silent;
};

std::mutex g_outputMutex;

void Print(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Print(const char* format, ...) {
    std::lock_guard<std::mutex> guard(g_outputMutex);
    va_list args;
    va_start(args, format);
    std::vfprintf(stdout, format, args);
    va_end(args);
    std::fflush(stdout);
}

void Usage() {
    std::fprintf(stderr,
                 "usage: cardsim [--socket PATH] [--product HEX] [--update] [--unplugged]\n"
                 "               [--late-ms N] [--restart-ms N] [--upgraded-version N] [--firmware N]\n"
                 "               [--silent 92|both] [--usb-timing] [--quiet]\n");
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--socket" && hasValue) options.socketPath = argv[++i];
        else if (arg == "--product" && hasValue)
            options.productId = static_cast<std::uint16_t>(std::strtoul(argv[++i], nullptr, 16));
        else if (arg == "--late-ms" && hasValue)
            options.lateMs = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        else if (arg == "--restart-ms" && hasValue)
            options.restartMs = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        else if (arg == "--upgraded-version" && hasValue)
            options.upgradedVersion = static_cast<int>(std::strtol(argv[++i], nullptr, 10));
        else if (arg == "--firmware" && hasValue)
            options.firmwareVersion = static_cast<int>(std::strtol(argv[++i], nullptr, 10));
        else if (arg == "--silent" && hasValue) {
            options.silent = argv[++i];
            if (options.silent != "92" && options.silent != "both") return false;
        }
        else if (arg == "--update") options.updateMode = true;
        else if (arg == "--unplugged") options.unplugged = true;
        else if (arg == "--quiet") options.quiet = true;
        else if (arg == "--usb-timing") options.usbTiming = true;
        else return false;
    }
    return options.productId != 0;
}

void PrintFrame(bool fromHost, const SimCard::Frame& frame) {
    char line[3 * 40 + 8];
    int at = std::snprintf(line, sizeof line, "%s", fromHost ? "> " : "< ");
    for (std::size_t i = 0; i < 40; ++i)
        at += std::snprintf(line + at, sizeof line - static_cast<std::size_t>(at), "%02X ", frame[i]);
    Print("%s\n", line);
}

bool ParseFault(const std::string& name, SimFault& fault) {
    static const std::map<std::string, SimFault> kFaults = {
        {"noreply", SimFault::NoReply},         {"late", SimFault::LateReply},
        {"wrongcmd", SimFault::WrongCommand},   {"wrongstatus", SimFault::WrongStatus},
        {"badcrc", SimFault::BadCrc},           {"writefail", SimFault::WriteFailure},
        {"unplug", SimFault::Unplug},           {"duplicate", SimFault::DuplicateReply},
    };
    auto it = kFaults.find(name);
    if (it == kFaults.end()) return false;
    fault = it->second;
    return true;
}

// Runs one command line; false for "quit".
bool RunCommand(SimCard& card, const std::string& line) {
    std::istringstream in(line);
    std::string command;
    if (!(in >> command)) return true;
    if (command == "quit") return false;
    if (command == "plug") {
        std::string pid;
        in >> pid;
        card.Plug(static_cast<std::uint16_t>(std::strtoul(pid.c_str(), nullptr, 16)));
    } else if (command == "unplug") {
        card.Unplug();
    } else if (command == "restart") {
        const std::uint16_t other =
            card.InUpdateMode() ? card.NormalProductId() : SimCard::kUpdateProductId;
        card.Unplug();
        card.Plug(other);
    } else if (command == "notify") {
        std::vector<std::pair<std::uint8_t, std::uint16_t>> values;
        std::string pair;
        while (in >> pair) {
            unsigned id = 0, value = 0;
            if (std::sscanf(pair.c_str(), "%u=%u", &id, &value) == 2)
                values.emplace_back(static_cast<std::uint8_t>(id), static_cast<std::uint16_t>(value));
        }
        if (!card.SendNotification(values)) Print("cardsim: the card is unplugged\n");
    } else if (command == "fault") {
        std::string kind, cmd = "0";
        int times = 1;
        int skip = 0;
        in >> kind >> cmd >> times >> skip;
        qv::test::SimFaultRule rule;
        if (!ParseFault(kind, rule.fault)) {
            Print("cardsim: unknown fault %s\n", kind.c_str());
            return true;
        }
        rule.command = static_cast<std::uint8_t>(std::strtoul(cmd.c_str(), nullptr, 16));
        rule.times = times;
        rule.skip = skip;
        card.AddFault(rule);
    } else if (command == "clear") {
        card.ClearFaults();
    } else if (command == "status") {
        Print("cardsim: %s, product 0x%04X%s, session %s, %zu frames received\n",
              card.IsPlugged() ? "plugged" : "unplugged", card.ProductId(),
              card.InUpdateMode() ? " (update mode)" : "", card.SessionOpen() ? "open" : "closed",
              card.ReceivedFrames().size());
        Print("cardsim: firmware image %zu bytes in %d blocks\n", card.FirmwareImage().size(), card.FirmwareBlocks());
        Print("cardsim: upload %s\n", qv::test::DescribeUpload(card.SoundUpload()).c_str());
        for (const auto& [id, value] : card.ParamValues()) Print("  param %d = %d\n", id, value);
    } else {
        Print("cardsim: unknown command %s\n", command.c_str());
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        Usage();
        return 2;
    }
    // Blocked before any thread starts, so only the signalfd sees them.
    sigset_t signals;
    sigemptyset(&signals);
    for (int s : {SIGINT, SIGTERM, SIGUSR1, SIGUSR2}) sigaddset(&signals, s);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    const int signalFd = signalfd(-1, &signals, SFD_CLOEXEC);
    if (signalFd < 0) {
        std::perror("cardsim: signalfd");
        return 1;
    }

    SimCard card(options.productId);
    card.SetLateReplyDelay(options.lateMs);
    card.SetRestartDelays(50, options.restartMs);
    if (options.upgradedVersion >= 0) card.SetUpgradedFirmwareVersion(static_cast<std::uint8_t>(options.upgradedVersion));
    if (options.firmwareVersion >= 0) card.SetVersions(10, static_cast<std::uint8_t>(options.firmwareVersion), 1);
    for (std::uint8_t command : {std::uint8_t{0x92}, std::uint8_t{0x26}}) {
        if (options.silent.empty() || (command == 0x26 && options.silent != "both")) continue;
        card.AddFault({.fault = SimFault::NoReply, .command = command, .skip = 0, .times = -1});
    }
    if (options.updateMode || options.unplugged) card.Unplug();
    if (options.updateMode && !options.unplugged) card.Plug(SimCard::kUpdateProductId);
    if (!options.quiet) card.SetFrameObserver(PrintFrame);
    card.SetUploadObserver([](const SimCard::Upload& upload) {
        Print("cardsim: upload %s\n", qv::test::DescribeUpload(upload).c_str());
    });

    qv::test::SimCardServer server(card);
    server.SetUsbTiming(options.usbTiming);
    if (!server.Start(options.socketPath)) {
        std::fprintf(stderr, "cardsim: cannot listen on %s\n", options.socketPath.c_str());
        return 1;
    }
    server.SetPlugObserver([](bool plugged, std::uint16_t productId) {
        Print("cardsim: %s, product 0x%04X\n", plugged ? "plugged" : "unplugged", productId);
    });
    Print("cardsim: listening on %s\n", options.socketPath.c_str());

    bool stdinOpen = true;
    bool running = true;
    std::string pending;
    while (running) {
        pollfd fds[2] = {{signalFd, POLLIN, 0}, {stdinOpen ? STDIN_FILENO : -1, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) continue;
        if (fds[0].revents & POLLIN) {
            signalfd_siginfo info{};
            if (read(signalFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
                if (info.ssi_signo == SIGUSR1) card.Unplug();
                else if (info.ssi_signo == SIGUSR2) card.Plug();
                else running = false;
            }
        }
        if (fds[1].revents) {
            char chunk[512];
            const ssize_t n = read(STDIN_FILENO, chunk, sizeof chunk);
            if (n <= 0) {
                stdinOpen = false;  // no console: signals still drive the card
                continue;
            }
            pending.append(chunk, static_cast<std::size_t>(n));
            std::size_t end;
            while (running && (end = pending.find('\n')) != std::string::npos) {
                running = RunCommand(card, pending.substr(0, end));
                pending.erase(0, end + 1);
            }
        }
    }
    server.Stop();
    close(signalFd);
    return 0;
}
