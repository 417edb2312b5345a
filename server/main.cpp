// ironvale-server: the dedicated game server. Creates a netman server with
// application protocol 256, listens on one port for TCP and UDP, and relays
// states, events and chat until SIGINT or SIGTERM.
// Operator lines go to standard output; the network log joins them with --verbose.
// Depends on kx_net, kx_log, server_args, server_loop.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "engine/net/kx_netman_server.h"
#include "server/server_args.h"
#include "server/server_loop.h"

namespace {

constexpr uint16_t APP_VERSION = 256;
volatile sig_atomic_t g_stop = 0;
FILE* g_out = stdout;  // operator lines (the engine log may be sent elsewhere)

void on_signal(int) { g_stop = 1; }

int on_buffer(int index, int type, const uint8_t*, int, kx_netman_server_t* server) {
    if (type != KX_NETMAN_HELLO) return 0;
    const kx_server_client_t* c = &server->tcp.clients[index];
    const kx_netman_user_data_t* u = (const kx_netman_user_data_t*)c->user_data;
    std::fprintf(g_out, "joined: id %d \"%s\" (%d users)\n", c->id, u ? u->name : "",
                 kx_netman_server_count_registered(server));
    std::fflush(g_out);
    return 0;
}

int on_disconnect(kx_netman_server_t* server, int id, int) {
    int i = kx_netman_server_find(server, id);
    if (i < 0) return 0;
    const kx_server_client_t* c = &server->tcp.clients[i];
    if (!(c->flags & KX_NETMAN_FLAG_REGISTERED)) return 0;
    const kx_netman_user_data_t* u = (const kx_netman_user_data_t*)c->user_data;
    std::fprintf(g_out, "left: id %d \"%s\" (%d users)\n", id, u ? u->name : "",
                 kx_netman_server_count_registered(server) - 1);
    std::fflush(g_out);
    return 0;
}

int on_connect(kx_netman_server_t*, int, int) { return 0; }

// Keep the engine's log off the operator's screen: standard output goes to /dev/null
// and the operator lines to a copy of the original descriptor.
void quiet_engine_log() {
    int keep = dup(STDOUT_FILENO);
    int null_fd = open("/dev/null", O_WRONLY);
    if (keep < 0 || null_fd < 0) return;
    std::fflush(stdout);
    dup2(null_fd, STDOUT_FILENO);
    close(null_fd);
    FILE* f = fdopen(keep, "w");
    if (f) g_out = f;
}

}  // namespace

int main(int argc, char** argv) {
    server_args_t args;
    char err[128];
    if (server_args_parse(argc, argv, &args, err, sizeof(err)) != 0) {
        std::fprintf(stderr, "ironvale-server: %s\n%s", err, server_args_usage());
        return 2;
    }
    if (args.help) {
        std::fputs(server_args_usage(), stdout);
        return 0;
    }
    if (args.version) {
        std::printf("ironvale-server %s (app protocol %d)\n", IRONVALE_VERSION, APP_VERSION);
        return 0;
    }
    if (!args.verbose) quiet_engine_log();

    struct sigaction sa;
    std::memset(&sa, 0, sizeof(sa));
    sa.sa_handler = on_signal;  // no SA_RESTART: poll() returns at once
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);

    static kx_netman_server_t server;
    kx_netman_server_init(&server, APP_VERSION);
    std::snprintf(server.server_name, sizeof(server.server_name), "%s", args.name);
    server.OnBuffer = on_buffer;
    server.OnConnect = on_connect;
    server.OnDisconnect = on_disconnect;
    if (kx_netman_server_start(&server, args.port) != 0) {
        std::fprintf(stderr,
                     "ironvale-server: cannot listen on port %d (TCP and UDP): the port is in use or not "
                     "permitted\n",
                     args.port);
        kx_netman_server_term(&server);
        return 1;
    }
    std::fprintf(g_out, "ironvale-server listening on port %d (TCP and UDP, all interfaces), name \"%s\"\n",
                 args.port, server.server_name);
    std::fflush(g_out);

    server_loop_run(&server, &g_stop);

    std::fprintf(g_out, "stopping: closing %d connections\n", server.tcp.client_count);
    kx_netman_server_term(&server);
    std::fprintf(g_out, "stopped\n");
    std::fflush(g_out);
    return 0;
}
