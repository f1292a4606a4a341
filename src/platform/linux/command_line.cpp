#include "platform/linux/command_line.h"

#include <iostream>
#include <memory>
#include <string>

#include "platform/linux/json_defaults_file.h"

namespace qm::desktop {

namespace {

struct ContextFree {
    void operator()(GOptionContext* context) const { g_option_context_free(context); }
};

std::string description() {
    return "Quillmere lives in the panel's tray; its menu switches it on and off, opens its settings and quits it.\n"
           "Without a tray it says so and opens its settings window instead.\n\n"
           "Settings: " +
           JsonDefaultsFile::standardFile().string() +
           "\n"
           "Log: standard error; G_MESSAGES_DEBUG=Quillmere adds every click it holds and every scroll it sends.\n"
           "To quit: choose Quit Quillmere in its menu, press Ctrl-C in its terminal, or run pkill -x quillmere.\n";
}

}  // namespace

std::optional<int> readCommandLine(int& argc, char**& argv, GOptionGroup* toolkitOptions) {
    gboolean version = FALSE;
    const GOptionEntry entries[] = {
        {"version", 0, 0, G_OPTION_ARG_NONE, &version, "Show the version and exit", nullptr}, {}};
    const std::unique_ptr<GOptionContext, ContextFree> context(
        g_option_context_new("- scroll any window with the middle mouse button"));
    g_option_context_set_summary(context.get(),
                                 "Hold the middle mouse button and move the pointer: the window under it scrolls that "
                                 "way.\nClick it without moving to scroll hands-free until the next click or Escape.");
    g_option_context_set_description(context.get(), description().c_str());
    g_option_context_add_main_entries(context.get(), entries, nullptr);
    if (toolkitOptions) g_option_context_add_group(context.get(), toolkitOptions);

    GError* error = nullptr;
    if (!g_option_context_parse(context.get(), &argc, &argv, &error)) {
        std::cerr << "quillmere: " << error->message << " (quillmere --help lists the options)\n";
        g_error_free(error);
        return 2;
    }
    if (version) {
        std::cout << "quillmere " << QUILLMERE_VERSION << '\n';
        return 0;
    }
    if (argc > 1) {
        std::cerr << "quillmere: unexpected argument " << argv[1] << " (quillmere --help lists the options)\n";
        return 2;
    }
    return std::nullopt;
}

}  // namespace qm::desktop
