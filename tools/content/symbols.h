// Small vector symbols shared by icons, buttons, key hints and badges.
#pragma once

#include "tools/content/painter.h"

namespace content {

enum class Symbol {
    Play, Pause, Cross, Speaker, SpeakerOff, Question, Note, Star, Tree, Bell, Present,
    Snowflake, Bauble, CandyCane, Heart, Home, Back, Restart, Tick, Trophy, Snowman,
    Stocking, Candle, Holly, Moon, Gingerbread, Arrow, Hand, Ring, Gear, Gamepad,
};

// Draws symbol s centred on (cx, cy), fitting a square of side `size` design units.
// `ink` is the main colour, `accent` a second colour some symbols use.
void drawSymbol(Painter& p, Symbol s, float cx, float cy, float size, Rgba ink, Rgba accent);

}  // namespace content
