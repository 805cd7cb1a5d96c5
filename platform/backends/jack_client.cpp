#include "platform/backends/jack_client.h"

#include "platform/backends/jack_client_name.h"
#include "platform/backends/uncancelled.h"

#include <jack/jack.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <vector>

namespace platform {

namespace {

// How many times a server went away under clients of ours: a client opened when it was n is lost
// once it is more than n.
std::atomic<unsigned> notices{0};

// Whether libjack freed the clients of a server that went within this thread's open.
thread_local bool freedInThisOpen = false;

void silent(const char*) {}

// libjack reports a missing server on stderr; the caller reports through results. It also says
// here, within the open that does it, that it frees every client of a server that went: that
// counts as the notice, which those clients' own threads, stopped first, may never have given.
void onError(const char* message) {
    if (message && std::strstr(message, "clients are still allocated")) {
        freedInThisOpen = true;
        notices.fetch_add(1);
    }
}

}  // namespace

std::unique_ptr<JackClient> JackClient::open(const std::string& name) {
    jack_set_error_function(&onError);
    jack_set_info_function(&silent);
    // Read before the open: a notice that comes during it makes the new client lost too, unless
    // the open itself freed the lost ones first.
    unsigned life = notices.load();
    freedInThisOpen = false;
    jack_status_t status{};
    jack_client_t* client = jack_client_open(name.c_str(), JackNoStartServer, &status);
    if (!client) return nullptr;
    if (freedInThisOpen) life = notices.load();
    // The notice carries the client's life, not the client: it may come after we dropped it.
    jack_on_shutdown(client, &JackClient::onShutdown, reinterpret_cast<void*>(std::uintptr_t{life}));
    return std::unique_ptr<JackClient>(new JackClient(client, life));
}

JackClient::JackClient(jack_client_t* client, unsigned life) : client_(client), life_(life) {}

JackClient::~JackClient() {
    if (!serverGone()) jack_client_close(client_);
}

bool JackClient::serverGone() const {
    return notices.load() > life_;
}

// On a thread of libjack's, which libjack may cancel at any instruction. Every client opened
// before the notice goes with it; the other clients' notices of the same loss change nothing.
void JackClient::onShutdown(void* lifeOfClient) {
    runUncancelled([lifeOfClient] {
        auto life = static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(lifeOfClient));
        notices.compare_exchange_strong(life, life + 1);
    });
}

std::shared_ptr<const JackClient> jackServerWatch() {
    static std::mutex mutex;
    static std::weak_ptr<const JackClient> current;  // closed once nobody holds it
    std::lock_guard lock(mutex);
    std::shared_ptr<const JackClient> watch = current.lock();
    if (!watch || watch->serverGone()) {
        watch = JackClient::open(uniqueJackClientName("Quintora2 list"));
        current = watch;
    }
    return watch;
}

void keepUnclosed(const void* object) {
    // Never destroyed, so that what it holds stays reachable (and unclosed) to the end.
    static auto* mutex = new std::mutex;
    static auto* kept = new std::vector<const void*>;
    std::lock_guard lock(*mutex);
    kept->push_back(object);
}

}  // namespace platform
