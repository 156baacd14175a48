#include "host/TableMetrics.h"

namespace pelvo {

namespace {
class Exposition {
public:
    // One metric family: its help and type lines, then its samples.
    Exposition& family(const char* name, const char* type, const char* help) {
        name_ = name;
        out_ += "# HELP ";
        out_ += name;
        out_ += ' ';
        out_ += help;
        out_ += "\n# TYPE ";
        out_ += name;
        out_ += ' ';
        out_ += type;
        out_ += '\n';
        return *this;
    }
    Exposition& sample(std::uint64_t value, const char* labels = nullptr) {
        out_ += name_;
        if (labels) {
            out_ += '{';
            out_ += labels;
            out_ += '}';
        }
        out_ += ' ';
        out_ += QByteArray::number(qulonglong(value));
        out_ += '\n';
        return *this;
    }
    Exposition& sample(double value) {
        out_ += name_;
        out_ += ' ';
        out_ += QByteArray::number(value, 'f', 3);
        out_ += '\n';
        return *this;
    }
    QByteArray text() const { return out_; }

private:
    QByteArray out_;
    const char* name_ = "";
};
} // namespace

QByteArray prometheusText(const TableMetrics& m, const TableGauges& g) {
    Exposition e;
    e.family("pelvo_table_connections", "gauge", "Open connections by kind.")
        .sample(std::uint64_t(g.players), "kind=\"player\"")
        .sample(std::uint64_t(g.justWatch), "kind=\"just_watch\"")
        .sample(std::uint64_t(g.spectators), "kind=\"spectator\"")
        .sample(std::uint64_t(g.loggingIn), "kind=\"logging_in\"");
    e.family("pelvo_table_computer_seats", "gauge",
             "Seats of the running game played by the computer.")
        .sample(std::uint64_t(g.computerSeats));
    e.family("pelvo_table_game_running", "gauge", "1 while a game runs.")
        .sample(std::uint64_t(g.gameRunning ? 1 : 0));
    e.family("pelvo_table_queued_lines", "gauge", "Received lines waiting to be handled.")
        .sample(std::uint64_t(g.queuedLines));
    e.family("pelvo_table_connections_accepted_total", "counter", "Connections given a slot.")
        .sample(m.connectionsAccepted);
    e.family("pelvo_table_connections_refused_total", "counter",
             "Connections refused because the table was full.")
        .sample(m.connectionsRefused);
    e.family("pelvo_table_connections_closed_total", "counter",
             "Connections the table closed itself, by reason.")
        .sample(m.closedFlood, "reason=\"flood\"")
        .sample(m.closedRate, "reason=\"rate\"")
        .sample(m.closedLoginTimeout, "reason=\"login_timeout\"")
        .sample(m.closedOversized, "reason=\"oversized\"")
        .sample(m.closedStalled, "reason=\"stalled\"")
        .sample(m.kicked, "reason=\"kicked\"");
    e.family("pelvo_table_logins_total", "counter", "Logins received.").sample(m.logins);
    e.family("pelvo_table_reclaims_total", "counter", "Logins that got a kept seat back.")
        .sample(m.reclaims);
    e.family("pelvo_table_games_started_total", "counter", "Games started.").sample(m.gamesStarted);
    e.family("pelvo_table_games_finished_total", "counter", "Games played to a winner.")
        .sample(m.gamesFinished);
    e.family("pelvo_table_frames_received_total", "counter", "Frames received from clients.")
        .sample(m.framesIn);
    e.family("pelvo_table_frames_sent_total", "counter", "Frames sent to clients.")
        .sample(m.framesOut);
    e.family("pelvo_table_received_bytes_total", "counter", "Bytes received from clients.")
        .sample(m.bytesIn);
    e.family("pelvo_table_sent_bytes_total", "counter", "Bytes handed to clients' sockets.")
        .sample(m.bytesOut);
    e.family("pelvo_table_uptime_seconds", "gauge", "Seconds since the table started.")
        .sample(double(m.uptime.elapsed()) / 1000.0);
    return e.text();
}

} // namespace pelvo
