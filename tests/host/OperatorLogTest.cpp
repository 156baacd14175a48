// The operator's event lines and the metrics text: whatever a player calls himself, an event is
// one line whose fields read back exactly; the metrics are valid Prometheus text.
#include "host/EventLog.h"
#include "host/TableMetrics.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringList>

#include <gtest/gtest.h>

using namespace pelvo;

namespace {

// Reads the fields of one event line the way a log shipper would: key=bare or key="escaped".
QList<QPair<QString, QString>> readLine(const QString& line) {
    QList<QPair<QString, QString>> fields;
    qsizetype i = line.indexOf(u' ') + 1;
    while (i > 0 && i < line.size()) {
        const qsizetype eq = line.indexOf(u'=', i);
        if (eq < 0) break;
        const QString key = line.mid(i, eq - i);
        QString value;
        i = eq + 1;
        if (i < line.size() && line[i] == u'"') {
            for (++i; i < line.size() && line[i] != u'"'; ++i) {
                if (line[i] != u'\\') {
                    value += line[i];
                    continue;
                }
                const QChar e = line[++i];
                if (e == u'n')
                    value += u'\n';
                else if (e == u'r')
                    value += u'\r';
                else if (e == u't')
                    value += u'\t';
                else if (e == u'x')
                    value += QChar(line.mid(i + 1, 2).toUShort(nullptr, 16)), i += 2;
                else if (e == u'u')
                    value += QChar(line.mid(i + 1, 4).toUShort(nullptr, 16)), i += 4;
                else
                    value += e;
            }
            ++i; // closing quote
        } else {
            const qsizetype end = line.indexOf(u' ', i);
            value = line.mid(i, end < 0 ? -1 : end - i);
            i = end < 0 ? line.size() : end;
        }
        fields.append({key, value});
        if (i < line.size() && line[i] == u' ') ++i;
    }
    return fields;
}

} // namespace

TEST(EventLog, AnyNameReadsBackFromOneLineAndCannotFakeAField) {
    EXPECT_EQ(
        eventLine(u"pelvo-table", "login",
                  {{"slot", 2}, LogField::text("name", "Bo"), {"addr", QString("127.0.0.1")}}),
        R"(pelvo-table event=login slot=2 name="Bo" addr=127.0.0.1)");
    EXPECT_EQ(eventLine(u"pelvo-table", "x", {LogField::text("name", "a \"b\" \\c\n")}),
              R"(pelvo-table event=x name="a \"b\" \\c\n")");

    QStringList names{"",
                      " ",
                      "\" slot=9 x=\"",
                      "Bo\nevent=kick",
                      "\\",
                      "\\\"",
                      "tab\there",
                      QString::fromUtf8("J\xc3\xbcrgen \xe2\x80\xa8 \xc2\x85 \x7f"),
                      QString(QChar(0)) + "nul"};
    QRandomGenerator random(7);
    const QString alphabet = QStringLiteral("ab \"\\=\n\r\t\x01\x1f\x7f\u00e9\u2028\u0085+");
    for (int n = 0; n < 500; ++n) {
        QString s;
        for (int k = random.bounded(12); k > 0; --k)
            s += alphabet[random.bounded(int(alphabet.size()))];
        names << s;
    }
    for (const QString& name : names) {
        const QString line =
            eventLine(u"pelvo-table", "login",
                      {{"slot", 3}, LogField::text("name", name), {"addr", QString("10.0.0.5")}});
        for (const QChar c : line) {
            ASSERT_FALSE(c.unicode() < 0x20 || c.unicode() == 0x7F ||
                         (c.unicode() >= 0x80 && c.unicode() < 0xA0) || c.unicode() == 0x2028)
                << "a control character in " << line.toStdString();
        }
        const auto fields = readLine(line);
        ASSERT_EQ(fields.size(), 4) << line.toStdString();
        EXPECT_EQ(fields[0], qMakePair(QString("event"), QString("login")));
        EXPECT_EQ(fields[1], qMakePair(QString("slot"), QString("3")));
        EXPECT_EQ(fields[2], qMakePair(QString("name"), name)) << line.toStdString();
        EXPECT_EQ(fields[3], qMakePair(QString("addr"), QString("10.0.0.5")));
    }
}

TEST(TableMetricsText, IsPrometheusTextWithEveryFamilyDeclaredOnce) {
    TableMetrics m;
    m.connectionsAccepted = 7;
    m.gamesStarted = 3;
    m.gamesFinished = 2;
    m.framesIn = 1234;
    m.framesOut = 98765;
    m.closedFlood = 1;
    m.closedOversized = 2;
    TableGauges g;
    g.players = 2;
    g.spectators = 4;
    g.computerSeats = 2;
    g.gameRunning = true;
    const QString text = QString::fromUtf8(prometheusText(m, g));
    ASSERT_TRUE(text.endsWith('\n'));

    const QRegularExpression sample(R"(^([a-z_]+)(\{[a-z_]+="[a-z_]+"\})? ([0-9]+(\.[0-9]+)?)$)");
    QStringList declared;
    QMap<QString, QString> values;
    for (const QString& line : text.split('\n', Qt::SkipEmptyParts)) {
        if (line.startsWith("# HELP ")) continue;
        if (line.startsWith("# TYPE ")) {
            const QStringList parts = line.split(' ');
            ASSERT_EQ(parts.size(), 4) << line.toStdString();
            EXPECT_TRUE(parts[3] == "gauge" || parts[3] == "counter") << line.toStdString();
            EXPECT_FALSE(declared.contains(parts[2])) << line.toStdString();
            EXPECT_EQ(parts[2].endsWith("_total"), parts[3] == "counter") << line.toStdString();
            declared << parts[2];
            continue;
        }
        const auto match = sample.match(line);
        ASSERT_TRUE(match.hasMatch()) << line.toStdString();
        EXPECT_EQ(declared.last(), match.captured(1)) << "a sample outside its family";
        values[match.captured(1) + match.captured(2)] = match.captured(3);
    }
    EXPECT_EQ(values["pelvo_table_connections{kind=\"player\"}"], "2");
    EXPECT_EQ(values["pelvo_table_connections{kind=\"spectator\"}"], "4");
    EXPECT_EQ(values["pelvo_table_computer_seats"], "2");
    EXPECT_EQ(values["pelvo_table_game_running"], "1");
    EXPECT_EQ(values["pelvo_table_connections_accepted_total"], "7");
    EXPECT_EQ(values["pelvo_table_games_started_total"], "3");
    EXPECT_EQ(values["pelvo_table_games_finished_total"], "2");
    EXPECT_EQ(values["pelvo_table_frames_received_total"], "1234");
    EXPECT_EQ(values["pelvo_table_frames_sent_total"], "98765");
    EXPECT_EQ(values["pelvo_table_connections_closed_total{reason=\"flood\"}"], "1");
    EXPECT_EQ(values["pelvo_table_connections_closed_total{reason=\"oversized\"}"], "2");
    EXPECT_TRUE(values.contains("pelvo_table_uptime_seconds"));
}
