// Load generator: N headless netman clients on 127.0.0.1 that join a server,
// send game states every 50 ms (optionally events and texts) for a while, and
// count what goes each way. Used by ironvale-loadgen, tests and benchmarks.
// Depends on kx_net.
#pragma once

#include <cstdint>
#include <cstdio>

constexpr int LOADGEN_MAX_CLIENTS = 36;

struct loadgen_config_t {
    int port;
    int clients;          // 1..LOADGEN_MAX_CLIENTS
    double seconds;       // sending time after every client has joined
    int period_ms;        // between state messages (50)
    int events_every;     // every k-th state carries one event (over TCP); 0: never
    int text_every;       // every k-th state is followed by a text; 0: never
    int join_timeout_ms;  // how long joining may take
};

struct loadgen_client_stats_t {
    uint32_t id;
    int joined;        // got its user list
    int disconnected;  // the server or the network ended the session
    int reason, code;  // of that disconnect
    uint64_t sent_msgs, sent_bytes, recv_msgs, recv_bytes;
    uint64_t states_recv;  // state broadcasts received
    double period_sum_ms;  // sum of gaps between state broadcasts (in the sending window)
    uint64_t period_count;
};

struct loadgen_result_t {
    int clients;
    double seconds;  // measured sending time
    int all_joined;
    loadgen_client_stats_t stats[LOADGEN_MAX_CLIENTS];
};

// Fill config with the defaults (port 25280, 4 clients, 5 s, 50 ms, no events or texts).
void loadgen_defaults(loadgen_config_t* config);
// Run the clients to completion. 0 when every client joined and none was dropped, 1 otherwise.
int loadgen_run(const loadgen_config_t* config, loadgen_result_t* result);
// Write the per-client and total rates as text or JSON.
void loadgen_report(const loadgen_result_t* result, bool json, FILE* out);
