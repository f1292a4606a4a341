#include "platform/x11/x11_connection_source.h"

namespace qm::x11 {

struct ConnectionSource::Source {
    GSource source;
    Connection* connection;
    GPollFD poll;
};

ConnectionSource::Source* ConnectionSource::of(GSource* source) {
    return reinterpret_cast<Source*>(source);
}

ConnectionSource::ConnectionSource(Connection& connection) {
    static GSourceFuncs funcs{
        &ConnectionSource::prepare, &ConnectionSource::check, &ConnectionSource::dispatch, nullptr, nullptr, nullptr};
    source_ = g_source_new(&funcs, sizeof(Source));
    Source* s = of(source_);
    s->connection = &connection;
    s->poll.fd = ConnectionNumber(connection.display());
    s->poll.events = G_IO_IN | G_IO_HUP | G_IO_ERR;
    g_source_add_poll(source_, &s->poll);
    // Ahead of GTK's own sources: a frozen pointer waits for nobody.
    g_source_set_priority(source_, G_PRIORITY_HIGH);
    g_source_attach(source_, nullptr);
}

ConnectionSource::~ConnectionSource() {
    g_source_destroy(source_);
    g_source_unref(source_);
}

gboolean ConnectionSource::prepare(GSource* source, gint* timeout) {
    Display* display = of(source)->connection->display();
    // Requests made since the last turn go out before the loop sleeps.
    XFlush(display);
    *timeout = -1;
    return XEventsQueued(display, QueuedAlready) > 0;
}

gboolean ConnectionSource::check(GSource* source) {
    Source* s = of(source);
    return (s->poll.revents & (G_IO_IN | G_IO_HUP | G_IO_ERR)) ||
           XEventsQueued(s->connection->display(), QueuedAlready) > 0;
}

gboolean ConnectionSource::dispatch(GSource* source, GSourceFunc, gpointer) {
    Connection& connection = *of(source)->connection;
    connection.dispatchPending();
    XFlush(connection.display());
    return G_SOURCE_CONTINUE;
}

}  // namespace qm::x11
