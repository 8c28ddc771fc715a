// One update of the hero, Pipkin.
//
// The hero moves on the tile grid: every move carries him exactly one tile
// (16 tile pixels) over several updates, and decisions are taken only while he
// stands still. The steps below run in a fixed order; N[k] is the 3x3
// neighbourhood of his tile taken once at the start of the update.
#include <cmath>

#include "game/shell/my_app.h"
#include "game/world/tiles.h"

namespace {



constexpr int kTurnPause = 30;       // key latch counted down by the speed: 15 updates
constexpr int kExitUpdates = 120;
constexpr int kPlungerTime = 480;
constexpr int kJumpAnimStart = 192;  // frame 48
// Points (rules in docs/records.md).
constexpr int kScoreTree = 100;
constexpr int kScorePickup = 50;
constexpr int kScoreBonus = 250;

constexpr float kDropInStep = 16.0f;
constexpr float kDropInSound = -480.0f;

inline bool passed_tile(int offset) { return offset < -15 || offset >= kTilePixels; }

}  // namespace

int c_MyApp::p_Player() {
    m_speed = 2;
    p_GetMatrix(m_playerX, m_playerY, 1);
    const int n1 = m_near.Get(1), n2 = m_near.Get(2), n3 = m_near.Get(3), n4 = m_near.Get(4);
    const int n5 = m_near.Get(5), n6 = m_near.Get(6), n8 = m_near.Get(8);
    m_gripButton = 10;
    m_jumpLeftButton = 11;
    m_jumpRightButton = 12;
    const bool grip = p_RoundKey(m_gripButton);

    // What lies under the hero.
    if (n5 == kTileExit) {
        if (m_lightsLeft == 0 && m_playerState != kLeaving) {
            p_PlaySFX(kSfxExit, 1.0f, 1.0f, 0);
            m_playerState = kLeaving;
            m_stateTimer = kExitUpdates;
        }
    } else if (n5 == kTileBonus || n5 == kTileCountedPickup) {
        p_PutBlock(m_playerX, m_playerY, kTileEmpty, 0, 0, 0);
        p_PlaySFX(kSfxPickup, 1.0f, 1.0f, 0);
        p_Award(n5 == kTileBonus ? kScoreBonus : kScorePickup);
    } else if (n5 == kTileTreeUnlit) {
        p_PutBlock(m_playerX, m_playerY, kTileTreeLit, 0, 0, 0);
        p_PlaySFX(kSfxPickup, 1.0f, 1.0f, 0);
        p_Award(kScoreTree);
    } else if (p_isDeath(n5)) {
        if (m_playerState == kStand) {
            m_playerState = kDying;
            p_PlaySFX(kSfxDeath, 1.0f, 1.0f, 0);
            m_stateTimer = kDeathUpdates;
        }
    } else if (n5 == kTilePlunger) {
        p_PutBlock(m_playerX, m_playerY, kTilePlunger, 0, 0, kPlungerTime);
    }

    // Falling.
    bool fall = false;
    bool onLadder = false;
    if (!p_isFloor(n8)) {
        if (p_isLadder(n5)) {
            onLadder = true;
        } else {
            fall = !p_isLadder(n8) && m_playerState == kStand;
        }
    }
    if (!onLadder) {
        if (p_isGripable(n5)) {
            if (grip) fall = false;
        } else if (p_isGripableB(n5) && grip) {
            fall = false;
        }
        if (fall) m_playerState = kFall;
    }

    // Permissions.
    const bool heldOnHandle = p_isGripableB(n5) && grip;
    m_canWalkLeft = !p_isSolid(n4) && !heldOnHandle;
    m_canWalkRight = !p_isSolid(n6) && !heldOnHandle;
    m_canClimbUp = (p_isLadder(n5) || (p_isGripable(n5) && grip)) && !p_isSolid(n2);
    m_canClimbDown = p_isLadder(n5) || p_isLadder(n8);
    if (p_isFloor(n8)) m_canClimbDown = p_isGripable(n8) && grip;
    m_canJumpLeft = !p_isSolid(n2) && !p_isSolid(n1);
    m_canJumpRight = !p_isSolid(n2) && !p_isSolid(n3);

    // Climbing.
    if (p_RoundKey(kGameKeyUp) && m_canClimbUp && m_playerState == kStand) {
        m_playerState = kClimbUp;
        m_turnLatch = 0;
    }
    if (p_RoundKey(kGameKeyDown) && m_canClimbDown && m_playerState == kStand) {
        m_playerState = kClimbDown;
        m_turnLatch = 0;
    }

    // Jumping: two buttons jump left and right; with the one-button scheme
    // either button jumps right if right is held, else left if left is held,
    // else the way the hero faces.
    const bool j1 = p_RoundKey(m_jumpLeftButton);
    const bool j2 = p_RoundKey(m_jumpRightButton);
    if (!j1 && !j2) m_jumpLatch = 0;
    const bool left = p_RoundKey(kGameKeyLeft);
    const bool right = p_RoundKey(kGameKeyRight);
    const bool oneButton = m_settings.Get(1) == 1;
    auto startJump = [&]() {
        m_jumpLatch = 1;
        m_playerState = kJump1;
        m_animCounter = kJumpAnimStart;
        p_PlaySFX(kSfxJump, 1.0f, 1.0f, 0);
    };
    // A jump that starts always faces the way whose permission was tested: with
    // one button, right and left held and the way right blocked, the left jump
    // must not set off to the right into the wall.
    auto tryLeft = [&]() {
        bool trigger = j1 || (j2 && oneButton);
        if (!trigger || !m_canJumpLeft || m_playerState != kStand || m_jumpLatch != 0) return;
        if (oneButton && m_facing == 1 && !left) return;
        startJump();
        m_facing = -1;
    };
    auto tryRight = [&]() {
        bool trigger = j2 || (j1 && oneButton);
        if (!trigger || !m_canJumpRight || m_playerState != kStand || m_jumpLatch != 0) return;
        if (oneButton && m_facing == -1 && !right) return;
        startJump();
        m_facing = 1;
    };
    if (!right) {
        tryLeft();
        tryRight();
    } else {
        tryRight();
        tryLeft();
    }

    // Turning round and walking.
    const bool canTurn = !heldOnHandle;
    if (left && m_turnLatch == 0 && m_facing == 1 && m_playerState == kStand && canTurn) {
        m_playerState = kTurn;
        m_turnLatch = kTurnPause;
        m_facing = -1;
    }
    if (right && m_turnLatch == 0 && m_facing == -1 && m_playerState == kStand && canTurn) {
        m_playerState = kTurn;
        m_turnLatch = kTurnPause;
        m_facing = 1;
    }
    if (left && m_canWalkLeft && m_playerState == kStand) {
        m_facing = -1;
        m_playerState = kWalk;
        m_turnLatch = 0;
    }
    if (right && m_canWalkRight && m_playerState == kStand) {
        m_facing = 1;
        m_playerState = kWalk;
        m_turnLatch = 0;
    }

    // Screen position (a floating-point remainder keeps the dividend's sign),
    // and the same point on the map, where movers test their hits.
    m_heroHitX = kTilePixels * m_playerX + m_playerSubX;
    m_heroHitY = kTilePixels * m_playerY + m_playerSubY;
    const float z = m_zoom;
    m_playerScreenX = std::fmod(kTilePixels * z * m_playerX + z * m_playerSubX - m_camX, static_cast<float>(m_worldWidth));
    if (m_playerScreenX < -128) m_playerScreenX += m_worldWidth;
    m_playerScreenY = std::fmod(kTilePixels * z * m_playerY + z * m_playerSubY - m_camY, static_cast<float>(m_worldHeight));
    if (m_playerScreenY < -128) m_playerScreenY += m_worldHeight;

    // The level-start drop-in: nothing started above takes effect.
    if (m_dropIn < 0) {
        m_dropIn += kDropInStep;
        m_playerState = kStand;
        if (m_dropIn == kDropInSound) p_PlaySFX(kSfxDropIn, 1.0f, 1.0f, 0);
    }
    if (m_dropIn > 0) m_dropIn = 0;

    // Sprite for standing still or turning: hanging poses while gripping.
    auto standingPose = [&]() {
        m_animCounter = 0;
        if (p_isGripable(n5)) {
            if (grip) m_animCounter = 80;
        } else if (p_isGripableB(n5) && grip) {
            m_animCounter = 24;
            m_facing = n5 == kTileHandleRight ? 1 : -1;
        }
    };
    // After a jump tile: the jump ends against a wall ahead, on floor or a ladder, or on a held bar.
    auto landingTest = [&]() {
        p_GetMatrix(m_playerX, m_playerY, 1);
        int ahead = m_facing < 0 ? m_near.Get(4) : m_near.Get(6);
        int m5 = m_near.Get(5), m8 = m_near.Get(8);
        if (p_isSolid(ahead) || p_isFloor(m8) || p_isLadder(m5) || p_isLadder(m8) || (p_isGripable(m5) && grip)) {
            m_playerState = kStand;
        }
    };
    auto climbAnim = [&]() {
        m_animCounter = (m_animCounter >= 48 && m_animCounter <= 62) ? m_animCounter + 1 : 49;
    };

    switch (m_playerState) {
    case kStand:
        standingPose();
        break;
    case kWalk: {
        m_playerSubX += m_speed * m_facing;
        const bool hanging = (p_isGripable(n5) || p_isGripableB(n5)) && grip;
        int a = m_playerSubX < 0 ? -m_playerSubX : m_playerSubX;
        if (a == 8 || a == 16) p_PlaySFX(hanging ? kSfxShuffle : kSfxFootstep, 1.0f, 0.5f, 0);
        if (hanging) {
            m_animCounter = (m_animCounter >= 68 && m_animCounter <= 78) ? m_animCounter + 1 : 69;
        } else {
            m_animCounter = (m_animCounter >= 4 && m_animCounter <= 14) ? m_animCounter + 1 : 5;
        }
        if (m_playerSubX < -15) {
            m_playerSubX = 0;
            m_playerX -= 1;
            m_playerState = kStand;
        } else if (m_playerSubX >= kTilePixels) {
            m_playerSubX = 0;
            m_playerX += 1;
            m_playerState = kStand;
        }
        break;
    }
    case kFall:
        m_animCounter = 4 * p_Rand(16, 19, &m_roundSeed);
        m_playerSubX = 0;
        m_playerSubY += 2 * m_speed;
        if (m_playerSubY >= kTilePixels) {
            m_playerSubY = 0;
            m_playerY += 1;
            m_playerState = kStand;
        }
        break;
    case kClimbUp:
        m_playerSubY -= m_speed;
        if (m_playerSubY == -4) p_PlaySFX(kSfxClimb, 1.0f, 0.5f, 0);
        climbAnim();
        if (m_playerSubY < -15) {
            m_playerSubY = 0;
            m_playerY -= 1;
            m_playerState = kStand;
        }
        break;
    case kClimbDown:
        m_playerSubY += m_speed;
        if (m_playerSubY == 4) p_PlaySFX(kSfxClimb, 1.0f, 0.5f, 0);
        climbAnim();
        if (m_playerSubY >= kTilePixels) {
            m_playerSubY = 0;
            m_playerY += 1;
            m_playerState = kStand;
        }
        break;
    case kTurn:
        if (!(p_isGripable(n5) && !grip)) standingPose();
        if (m_turnLatch > 0) {
            m_turnLatch -= m_speed;
            if (m_turnLatch > 0) return 0;
        }
        m_playerState = kStand;
        m_turnLatch = 0;
        break;
    case kJump1:
        m_animCounter += m_speed;
        m_playerSubX += m_speed * m_facing;
        m_playerSubY -= m_speed;
        if (passed_tile(m_playerSubX)) {
            m_playerX += m_playerSubX < 0 ? -1 : 1;
            m_playerY -= 1;
            m_playerSubX = 0;
            m_playerSubY = 0;
            m_playerState = kJump2;
            landingTest();
        }
        break;
    case kJump2:
    case kJump3:
        m_animCounter += m_speed;
        m_playerSubX += m_speed * m_facing;
        if (passed_tile(m_playerSubX)) {
            m_playerX += m_playerSubX < 0 ? -1 : 1;
            m_playerSubX = 0;
            if (m_playerState == kJump2) {
                m_playerState = kJump3;
                landingTest();
            } else {
                m_playerState = kStand;
            }
        }
        break;
    case kDying:
        m_stateTimer -= 1;
        if (m_stateTimer < 0) {
            m_stateTimer = 0;
            m_playerState = kStand;
            p_GetLevel(m_level);
        }
        m_animCounter = 56;
        break;
    default:
        break;
    }

    if (m_animCounter > 255) m_animCounter = 0;
    return 0;
}
