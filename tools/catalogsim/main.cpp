// catalogsim: a catalogue server for tests and demos, on 127.0.0.1 at a port
// the system picks. It answers the catalogue's requests and serves sound
// files from the regular catalogue changed by switches, or from a JSON
// description, and logs every request.
//   catalogsim [--switch NAME]... [--description FILE] [--log FILE]
// The line "catalogsim: listening on http://127.0.0.1:PORT" tells a script
// where it is; point the program at it with
// QV_CATALOGUE_URL=http://127.0.0.1:PORT/tuning. SIGINT and SIGTERM end it.
#include <signal.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/catalogsim/CatalogServer.h"
#include "tools/catalogsim/Catalogue.h"

namespace {

int Usage() {
    std::fprintf(stderr, "usage: catalogsim [--switch NAME]... [--description FILE] [--log FILE]\nswitches:");
    for (const std::string& name : catalogsim::SwitchNames()) std::fprintf(stderr, " %s", name.c_str());
    std::fprintf(stderr, "\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    catalogsim::Catalogue catalogue = catalogsim::RegularCatalogue();
    std::string logPath = "/dev/null";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) return Usage();
        const std::string value = argv[++i];
        if (arg == "--switch") {
            if (!catalogsim::ApplySwitch(catalogue, value)) return Usage();
        } else if (arg == "--description") {
            std::ifstream in(value, std::ios::binary);
            std::stringstream text;
            text << in.rdbuf();
            std::string error;
            auto described = catalogsim::ReadDescription(text.str(), error);
            if (!described) {
                std::fprintf(stderr, "catalogsim: %s: %s\n", value.c_str(), error.c_str());
                return 2;
            }
            catalogue = std::move(*described);
        } else if (arg == "--log") {
            logPath = value;
        } else {
            return Usage();
        }
    }

    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);  // the server's threads inherit the mask

    catalogsim::CatalogServer server(std::move(catalogue), logPath);
    if (!server.Start()) {
        std::fprintf(stderr, "catalogsim: cannot listen on 127.0.0.1\n");
        return 1;
    }
    std::printf("catalogsim: listening on %s\n", server.Base().c_str());
    std::fflush(stdout);
    int received = 0;
    sigwait(&signals, &received);
    server.Stop();
    return 0;
}
