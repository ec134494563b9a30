#pragma once

#include "rawclient.h"

#include <QList>

#include <functional>

// The server tests drive the server with the shared raw client.
using TestClient = RawClient;

// Processes events and polls the clients until the condition holds or a
// generous time has passed; returns the condition.
bool waitUntil(const std::function<bool()> &condition, const QList<TestClient *> &clients,
               int timeoutMs = 15000);
// Processes events and polls the clients for a short while (to see that
// nothing more arrives).
void settle(const QList<TestClient *> &clients, int ms = 100);
