// Every clip must decode as the player expects it: plain PCM WAV, mono, 22050 Hz, 16-bit,
// audible and short.

#include "client/sound/SoundPlayer.h"

#include <QFile>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

using namespace pelvo;

namespace {

struct Pcm {
    int format = 0, channels = 0, rate = 0, bits = 0, blockAlign = 0;
    QByteArray data;
};

quint32 u32(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint32>(b.constData() + at);
}
quint16 u16(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint16>(b.constData() + at);
}

// Walks the RIFF chunks; nullopt for anything that is not a complete WAVE file.
std::optional<Pcm> parseWave(const QByteArray& b) {
    if (b.size() < 12 || !b.startsWith("RIFF") || b.mid(8, 4) != "WAVE") return std::nullopt;
    if (u32(b, 4) + 8 != quint64(b.size())) return std::nullopt;
    Pcm pcm;
    bool haveFmt = false, haveData = false;
    qsizetype at = 12;
    while (at + 8 <= b.size()) {
        const QByteArray id = b.mid(at, 4);
        const quint32 size = u32(b, at + 4);
        if (at + 8 + qsizetype(size) > b.size()) return std::nullopt;
        if (id == "fmt " && size >= 16) {
            pcm.format = u16(b, at + 8);
            pcm.channels = u16(b, at + 10);
            pcm.rate = int(u32(b, at + 12));
            pcm.blockAlign = u16(b, at + 20);
            pcm.bits = u16(b, at + 22);
            haveFmt = true;
        } else if (id == "data") {
            pcm.data = b.mid(at + 8, size);
            haveData = true;
        }
        at += 8 + size + (size & 1);
    }
    if (!haveFmt || !haveData) return std::nullopt;
    return pcm;
}

const QStringList allClips{
    "DISCARD", "DRAW",    "ENTERED", "FLIP",   "FLIPCARD", "INVALID", "LASTTURN", "ROUNDOVER",
    "TURN",    "TURNNEW", "WINNER",  "WAVE1",  "WAVE2",    "WAVE3",   "WAVE4",    "WAVE5",
    "WAVE6",   "WAVE7",   "WAVE8",   "WAVE9",  "WAVE10",   "WAVE11",  "WAVE12",   "WAVE13",
    "WAVE14",  "WAVE15",  "WAVE16",  "WAVE17", "WAVE18",   "WAVE19",  "WAVE20"};

TEST(SoundClips, AllThirtyOneArePresentAndFoundInAnyCase) {
    QStringList names = SoundPlayer::clipNames();
    names.sort();
    QStringList expected = allClips;
    expected.sort();
    EXPECT_EQ(names, expected);
    EXPECT_EQ(SoundPlayer::resourcePath("turnnew"), SoundPlayer::resourcePath("TURNNEW"));
    EXPECT_FALSE(SoundPlayer::resourcePath("Wave4").isEmpty());
    EXPECT_TRUE(SoundPlayer::resourcePath("wave21").isEmpty());
    EXPECT_TRUE(SoundPlayer::resourcePath("").isEmpty());
    EXPECT_TRUE(SoundPlayer::resourcePath("../sounds/DRAW").isEmpty());
}

TEST(SoundClips, EachDecodesAsShortAudibleMonoPcm) {
    qint64 total = 0;
    for (const QString& name : allClips) {
        SCOPED_TRACE(name.toStdString());
        QFile f(SoundPlayer::resourcePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        total += bytes.size();
        const auto pcm = parseWave(bytes);
        ASSERT_TRUE(pcm.has_value());
        EXPECT_EQ(pcm->format, 1);
        EXPECT_EQ(pcm->channels, 1);
        EXPECT_EQ(pcm->rate, 22050);
        EXPECT_EQ(pcm->bits, 16);
        EXPECT_EQ(pcm->blockAlign, 2);

        const qsizetype samples = pcm->data.size() / 2;
        const double seconds = double(samples) / pcm->rate;
        EXPECT_GE(seconds, 0.1);
        EXPECT_LE(seconds, 4.0);

        double sumSquares = 0;
        int clipped = 0;
        for (qsizetype i = 0; i < samples; ++i) {
            const qint16 s = qFromLittleEndian<qint16>(pcm->data.constData() + 2 * i);
            sumSquares += double(s) * s;
            if (s >= 32767 || s <= -32767) ++clipped;
        }
        const double rms = std::sqrt(sumSquares / double(samples)) / 32768.0;
        EXPECT_GT(rms, 0.02) << "too quiet";
        EXPECT_EQ(clipped, 0);
    }
    EXPECT_LT(total, 2 * 1024 * 1024);
}

} // namespace
