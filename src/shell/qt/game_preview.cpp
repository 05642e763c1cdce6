#include "shell/qt/game_preview.h"

#include <QPainter>
#include <QPainterPath>

#include "core/deal.h"
#include "core/rules.h"
#include "core/table.h"
#include "model/catalogue.h"
#include "model/preferences.h"
#include "model/records.h"

namespace korvat::qt {

namespace {

constexpr int kTableWidth = 640, kTableHeight = 480;

// Where a pile lies on the table and how far apart its fanned cards are,
// as the deal places them with the game's card size.
struct PileShape {
    int x, y, fan;
};

PileShape shapeOf(const Pile& p, bool small, int cardWidth, int cardHeight) {
    if (small) return {p.column * (cardWidth >> 1) + 7, p.row * ((cardHeight + 3) >> 1) + 6, p.fan};
    return {p.column * ((cardWidth + 6) >> 1) + 6, p.row * ((cardHeight + 6) >> 1) + 8, p.fan};
}

void drawCard(QPainter& painter, const QRectF& r, uint8_t card, int baseRank) {
    QPainterPath shape;
    shape.addRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    painter.setPen(QPen(QColor(40, 40, 40), 1));
    if (core::stateOf(card) == kFaceDown) {
        painter.fillPath(shape, QColor(40, 70, 160));
        painter.drawPath(shape);
        painter.setPen(QPen(QColor(150, 175, 230), 1));
        painter.drawRoundedRect(r.adjusted(4, 4, -4, -4), 2, 2);
        return;
    }
    painter.fillPath(shape, Qt::white);
    painter.drawPath(shape);
    static const char* const faces[] = {"A", "2", "3", "4", "5", "6", "7", "8", "9", "10", "J", "Q", "K"};
    static const QChar suits[] = {QChar(0x2660), QChar(0x2663), QChar(0x2665), QChar(0x2666)};
    const int value = core::valueOf(card);
    const int suit = value & 3;
    const int face = ((value >> 2) + baseRank) % 13;
    painter.setPen(suit >= 2 ? QColor(200, 20, 20) : Qt::black);
    const QString text = QString::fromLatin1(faces[face]) + suits[suit];
    painter.drawText(r.adjusted(3, 1, 0, 0), Qt::AlignLeft | Qt::AlignTop, text);
}

}  // namespace

QImage openingTablePicture(const GameEntry& game, uint32_t number, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(0, 100, 40));
    if (!game.layout || game.pileCount <= 0) return image;
    const core::GameRules rules = core::makeRules(game, {prefs.Three != 0, prefs.Unlimit != 0}, number);
    const core::Table dealt = core::startTable(rules);
    const bool small = (game.ruleFlags & GameRuleFlags::smallCards) != 0;
    const int cw = small ? 48 : 64, ch = small ? 64 : 80, fanStep = small ? 9 : 16;

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const double scale = std::min(size.width() / double(kTableWidth), size.height() / double(kTableHeight));
    painter.translate((size.width() - kTableWidth * scale) / 2, (size.height() - kTableHeight * scale) / 2);
    painter.scale(scale, scale);
    painter.setClipRect(0, 0, kTableWidth, kTableHeight);
    QFont font = painter.font();
    font.setPixelSize(small ? 14 : 17);
    font.setBold(true);
    painter.setFont(font);

    for (int p = 0; p < game.pileCount && p < dealt.pileCount; ++p) {
        const PileShape s = shapeOf(game.layout[p], small, cw, ch);
        const int n = dealt.count(p);
        if (n == 0) {
            painter.setPen(QPen(QColor(150, 200, 160), 1.5));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(QRectF(s.x + 0.5, s.y + 0.5, cw - 1, ch - 1), 4, 4);
            continue;
        }
        // A squared pile shows its top card only.
        const bool fanned = s.fan == Fan::Right || s.fan == Fan::Down;
        for (int k = fanned ? 0 : n - 1; k < n; ++k) {
            const int offset = fanned ? k * fanStep : 0;
            const QRectF r(s.x + (s.fan == Fan::Right ? offset : 0), s.y + (s.fan == Fan::Down ? offset : 0), cw, ch);
            drawCard(painter, r, dealt.card(p, k), rules.baseRank);
        }
    }
    return image;
}

}  // namespace korvat::qt
