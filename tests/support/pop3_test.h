// Fixture for conversations between a CPop3Client and a scripted server on
// the fake clock.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "pop3/pop3_client.h"
#include "tests/support/fake_clock.h"
#include "tests/support/scripted_server.h"

inline Transcript operator+(Transcript a, const Transcript& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Greeting and a successful login as alice.
inline Transcript Login() {
    return {S("+OK POP3 ready"), C("USER alice"), S("+OK"), C("PASS secret"), S("+OK logged in")};
}

class Pop3Test : public ::testing::Test {
protected:
    // Plays the transcript to the next client; the port stays the same for
    // the whole test.
    ScriptedServer& Play(Transcript transcript) {
        if (server) {
            server->Restart(std::move(transcript));
        } else {
            server = std::make_unique<ScriptedServer>(std::move(transcript));
        }
        clock.onSleep = [this] {
            if (server) {
                server->Pump();
            }
        };
        return *server;
    }

    int ConnectClient(CPop3Client& client, const char* user = "alice",
                      const char* password = "secret") {
        return client.Connect("127.0.0.1", user, password, server->Port());
    }

    FakeClock clock;
    std::unique_ptr<ScriptedServer> server;
};
