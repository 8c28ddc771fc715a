// Stand-in for the SDL2 peer when SDL2 is not installed: the rendering
// section then prints only the game renderer's figures.
#include "tools/bench/sdl_peer.h"

bool SdlPeerAvailable() { return false; }

SdlPeer::~SdlPeer() {}
bool SdlPeer::Open(int, int) { return false; }
void SdlPeer::Close() {}
bool SdlPeer::LoadTextures(const Recording&) { return false; }
void SdlPeer::DrawFrame(const Recording&, const RecordedFrame&) {}
void SdlPeer::EmptyFrame() {}
std::string SdlPeer::RendererName() const { return "none"; }
SDL_Texture* SdlPeer::TextureFor(const std::string&) { return nullptr; }
bool SdlPeer::Screenshot(const Recording&, const RecordedFrame&, const std::string&) { return false; }
void SdlPeer::Draw(const Recording&, const RecordedFrame&) {}
void SdlPeer::MakeCurrent() {}
