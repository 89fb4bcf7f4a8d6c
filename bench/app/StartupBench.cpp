// Start-up from the desktop, as a person waits for it: from exec to the main window's first
// paint, seen from outside the program through the X server, for the built program and for a
// bare Qt window of the same size (vantoro_bare_window), in interleaved pairs of one run. What
// the program loads (shared libraries and their relocations, static initialisers, plugins,
// fonts) is all inside the figure.
//
// It needs an X server with the Damage extension; a private one:
//   tests/tools/with-display -- build/release/bench/startup_bench
// (add --wm to count a window manager's part too).
//
// A window counts as mapped at its MapNotify and as painted at the first report of the Damage
// extension of drawing on the screen inside its rectangle after that: Qt's windows have no
// background of their own, so the server draws nothing there before the program does.
//
// Both programs run with the same private HOME and XDG folders, the program from a copy in them
// (so that its settings stay there); each is ended with SIGTERM once it has painted. Counters
// (milliseconds; medians of the pairs, _p25 and _p75 the quartiles):
//   paint_ms, bare_paint_ms    exec to first paint
//   map_ms, bare_map_ms        exec to map
//   paint_vs_bare, map_vs_bare the pairs' ratios (target: paint_vs_bare at most 1.3)
#include <benchmark/benchmark.h>

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Start
{
    double mapMs = -1.0;
    double paintMs = -1.0;
    int width = 0;
    int height = 0;
    bool painted() const { return paintMs >= 0.0; }
};

// One connection to the X server that watches every top-level window made on it.
class WindowWatch
{
public:
    ~WindowWatch()
    {
        if (m_connection)
            xcb_disconnect(m_connection);
    }

    // Empty when it watches; otherwise what is missing.
    std::string open()
    {
        m_connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_connection))
            return "no X server to connect to";
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const xcb_query_extension_reply_t* damage =
            xcb_get_extension_data(m_connection, &xcb_damage_id);
        if (!damage || !damage->present)
            return "the X server has no Damage extension";
        m_damageNotify = uint8_t(damage->first_event + XCB_DAMAGE_NOTIFY);
        std::free(xcb_damage_query_version_reply(
            m_connection, xcb_damage_query_version(m_connection, 1, 1), nullptr));
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        // Everything drawn on the screen, the windows inside the root included, as it is drawn.
        xcb_damage_create(m_connection, xcb_generate_id(m_connection), m_root,
                          XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
        const char name[] = "_NET_WM_PID";
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, sizeof name - 1, name), nullptr);
        if (!atom)
            return "the X server answers no atom";
        m_pidAtom = atom->atom;
        std::free(atom);
        xcb_flush(m_connection);
        return {};
    }

    // Starts `argv` with `env` and follows its first top-level window to its first paint; the
    // program is ended then (or after 20 s without a paint).
    Start launch(const std::vector<std::string>& argv, const std::vector<std::string>& env)
    {
        while (xcb_generic_event_t* stale = xcb_poll_for_event(m_connection))
            std::free(stale);
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        std::vector<char*> vars;
        for (const std::string& v : env)
            vars.push_back(const_cast<char*>(v.c_str()));
        vars.push_back(nullptr);

        Start result;
        pid_t pid = 0;
        const Clock::time_point start = Clock::now();
        if (posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), vars.data()) != 0)
            return result;
        xcb_window_t shown = XCB_NONE;
        xcb_rectangle_t place{};
        const Clock::time_point deadline = start + std::chrono::seconds(20);
        while (!result.painted() && Clock::now() < deadline) {
            xcb_generic_event_t* event = xcb_poll_for_event(m_connection);
            if (!event) {
                if (xcb_connection_has_error(m_connection))
                    break;
                pollfd ready{xcb_get_file_descriptor(m_connection), POLLIN, 0};
                ::poll(&ready, 1, 50);
                continue;
            }
            const double at = millisecondsSince(start);
            const uint8_t type = event->response_type & 0x7f;
            if (type == XCB_CREATE_NOTIFY) {
                const auto* created = reinterpret_cast<xcb_create_notify_event_t*>(event);
                if (created->parent == m_root && !created->override_redirect) {
                    // Its map is seen here even once a window manager has framed it.
                    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
                    xcb_change_window_attributes(m_connection, created->window, XCB_CW_EVENT_MASK,
                                                 &mask);
                    xcb_flush(m_connection);
                }
            } else if (type == XCB_MAP_NOTIFY) {
                const auto* mapped = reinterpret_cast<xcb_map_notify_event_t*>(event);
                if (shown == XCB_NONE && !mapped->override_redirect &&
                    pidOf(mapped->window) == pid && placeOf(mapped->window, place)) {
                    shown = mapped->window;
                    result.mapMs = at;
                }
            } else if (type == m_damageNotify && shown != XCB_NONE) {
                const auto* damaged = reinterpret_cast<xcb_damage_notify_event_t*>(event);
                // Where the window is now: a window manager may have placed its frame since.
                if (placeOf(shown, place) && overlap(damaged->area, place)) {
                    result.paintMs = at;
                    result.width = place.width;
                    result.height = place.height;
                }
            }
            std::free(event);
        }
        end(pid);
        return result;
    }

private:
    // The window's rectangle on the screen.
    bool placeOf(xcb_window_t window, xcb_rectangle_t& place)
    {
        xcb_get_geometry_reply_t* size =
            xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr);
        xcb_translate_coordinates_reply_t* origin = xcb_translate_coordinates_reply(
            m_connection, xcb_translate_coordinates(m_connection, window, m_root, 0, 0), nullptr);
        const bool known = size && origin;
        if (known)
            place = {origin->dst_x, origin->dst_y, size->width, size->height};
        std::free(size);
        std::free(origin);
        return known;
    }

    static bool overlap(const xcb_rectangle_t& a, const xcb_rectangle_t& b)
    {
        return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
               b.y < a.y + a.height;
    }

    pid_t pidOf(xcb_window_t window)
    {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, 0, window, m_pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
        pid_t pid = 0;
        if (reply && xcb_get_property_value_length(reply) == 4)
            pid = pid_t(*static_cast<uint32_t*>(xcb_get_property_value(reply)));
        std::free(reply);
        return pid;
    }

    static void end(pid_t pid)
    {
        ::kill(pid, SIGTERM);
        for (int waited = 0; waited < 1000; ++waited) {
            if (::waitpid(pid, nullptr, WNOHANG) == pid)
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }

    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = XCB_NONE;
    xcb_atom_t m_pidAtom = XCB_NONE;
    uint8_t m_damageNotify = 0;
};

double quantile(std::vector<double> values, double q)
{
    std::sort(values.begin(), values.end());
    const double at = q * double(values.size() - 1);
    const size_t below = size_t(at);
    const size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (values[above] - values[below]) * (at - double(below));
}

void reportSpread(benchmark::State& state, const std::string& name,
                  const std::vector<double>& values)
{
    state.counters[name] = quantile(values, 0.5);
    state.counters[name + "_p25"] = quantile(values, 0.25);
    state.counters[name + "_p75"] = quantile(values, 0.75);
}

// A private HOME and XDG tree with a copy of the program (and its help page) in it.
class StartFolder
{
public:
    StartFolder()
    {
        char pattern[] = "/tmp/vantoro-startup-XXXXXX";
        if (!::mkdtemp(pattern))
            return;
        m_root = pattern;
        namespace fs = std::filesystem;
        std::error_code error;
        fs::create_directories(m_root / "home/.config", error);
        fs::create_directories(m_root / "home/.local/share", error);
        fs::create_directories(m_root / "home/.cache", error);
        fs::create_directories(m_root / "run", error);
        fs::permissions(m_root / "run", fs::perms::owner_all, error);
        // VANTORO_STARTUP_PROGRAM measures another build of the program (say, a copy kept from
        // before a change) against the same bare window.
        const char* other = std::getenv("VANTORO_STARTUP_PROGRAM");
        const fs::path built = other && *other ? fs::path(other) : fs::path(VANTORO_EXE);
        fs::copy_file(built, m_root / "vantoro", error);
        if (error)
            return;
        fs::copy_file(built.parent_path() / "vthelp.html", m_root / "vthelp.html", error);
        m_ready = true;
    }
    ~StartFolder()
    {
        std::error_code error;
        if (!m_root.empty())
            std::filesystem::remove_all(m_root, error);
    }

    bool ready() const { return m_ready; }
    std::string program() const { return (m_root / "vantoro").string(); }

    std::vector<std::string> environment() const
    {
        const std::map<std::string, std::string> own{
            {"HOME", (m_root / "home").string()},
            {"XDG_CONFIG_HOME", (m_root / "home/.config").string()},
            {"XDG_DATA_HOME", (m_root / "home/.local/share").string()},
            {"XDG_CACHE_HOME", (m_root / "home/.cache").string()},
            {"XDG_RUNTIME_DIR", (m_root / "run").string()},
            {"QT_QPA_PLATFORM", "xcb"}};
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            const std::string var = *e;
            if (own.count(var.substr(0, var.find('='))) == 0)
                env.push_back(var);
        }
        for (const auto& [name, value] : own)
            env.push_back(name + '=' + value);
        return env;
    }

private:
    std::filesystem::path m_root;
    bool m_ready = false;
};

void BM_StartupVsBareWindow(benchmark::State& state)
{
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("needs an X display: run it under tests/tools/with-display");
        return;
    }
    WindowWatch watch;
    if (const std::string missing = watch.open(); !missing.empty()) {
        state.SkipWithError(missing.c_str());
        return;
    }
    const StartFolder folder;
    if (!folder.ready()) {
        state.SkipWithError("no private folder with a copy of the program");
        return;
    }
    const std::vector<std::string> env = folder.environment();
    const std::vector<std::string> program{folder.program()};
    // The first start fills the private caches and tells the main window's size.
    const Start first = watch.launch(program, env);
    if (!first.painted()) {
        state.SkipWithError("the program showed no painted window");
        return;
    }
    const std::vector<std::string> bare{BARE_WINDOW_EXE, std::to_string(first.width),
                                        std::to_string(first.height)};
    watch.launch(bare, env);

    std::vector<double> paint, barePaint, map, bareMap, paintRatio, mapRatio;
    for (auto _ : state) {
        const bool programFirst = paint.size() % 2 == 0;
        Start ours, theirs;
        if (programFirst) {
            ours = watch.launch(program, env);
            theirs = watch.launch(bare, env);
        } else {
            theirs = watch.launch(bare, env);
            ours = watch.launch(program, env);
        }
        if (!ours.painted() || !theirs.painted()) {
            state.SkipWithError(ours.painted() ? "the bare window was not painted"
                                               : "the program's window was not painted");
            return;
        }
        if (theirs.width != ours.width || theirs.height != ours.height) {
            state.SkipWithError("the bare window's size differs from the main window's");
            return;
        }
        state.SetIterationTime(ours.paintMs / 1000.0);
        paint.push_back(ours.paintMs);
        barePaint.push_back(theirs.paintMs);
        map.push_back(ours.mapMs);
        bareMap.push_back(theirs.mapMs);
        paintRatio.push_back(ours.paintMs / theirs.paintMs);
        mapRatio.push_back(ours.mapMs / theirs.mapMs);
    }
    reportSpread(state, "paint_ms", paint);
    reportSpread(state, "bare_paint_ms", barePaint);
    reportSpread(state, "paint_vs_bare", paintRatio);
    state.counters["map_ms"] = quantile(map, 0.5);
    state.counters["bare_map_ms"] = quantile(bareMap, 0.5);
    reportSpread(state, "map_vs_bare", mapRatio);
    state.counters["width"] = first.width;
    state.counters["height"] = first.height;
}

} // namespace

// 39 pairs, each program starting first in every other one.
BENCHMARK(BM_StartupVsBareWindow)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(39);
BENCHMARK_MAIN();
