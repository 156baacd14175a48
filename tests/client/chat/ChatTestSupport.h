#pragma once
// A main window stand-in for chat panel tests: records frames and settings writes.

#include "client/ClientContext.h"

#include <QList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

namespace pelvo::test {

class RecordingContext : public ClientContext {
public:
    ClientState st;
    QList<QByteArray> frames;
    int saves = 0;

    ClientState& state() override { return st; }
    bool sendToHost(const QByteArray& frame) override {
        frames << frame;
        return true;
    }
    void addlinetochat(const QString&, quint32) override {}
    void playsounds(const QString&) override {}
    void saveinifile() override { ++saves; }
    quint32 chatColour() const override { return 0; }
    QString seatCaption(int) const override { return {}; }
    void closeMainWindow() override {}
};

// One run of equally formatted text (or one picture) of a chat line.
struct Run {
    QString text;
    QTextCharFormat format;
    bool isImage() const { return format.isImageFormat(); }
    QString imageName() const { return format.toImageFormat().name(); }
};

inline QList<Run> runsOf(const QTextDocument* doc, int line) {
    QList<Run> runs;
    const QTextBlock block = doc->findBlockByNumber(line);
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment f = it.fragment();
        if (f.isValid()) runs << Run{f.text(), f.charFormat()};
    }
    return runs;
}

inline QString lineText(const QTextDocument* doc, int line) {
    return doc->findBlockByNumber(line).text();
}

} // namespace pelvo::test
