#pragma once

#include <glib.h>

#include "platform/x11/x11_connection.h"

namespace qm::x11 {

// The X connection as a source of GLib's default main context: whatever the
// server sends is read and handed out as soon as it arrives, in every mode of
// the run loop, because a grabbed press holds everyone's pointer until the
// program has decided on it.
class ConnectionSource {
public:
    explicit ConnectionSource(Connection& connection);
    ~ConnectionSource();
    ConnectionSource(const ConnectionSource&) = delete;
    ConnectionSource& operator=(const ConnectionSource&) = delete;

private:
    struct Source;
    static Source* of(GSource* source);
    static gboolean prepare(GSource* source, gint* timeout);
    static gboolean check(GSource* source);
    static gboolean dispatch(GSource* source, GSourceFunc, gpointer);

    GSource* source_;
};

}  // namespace qm::x11
