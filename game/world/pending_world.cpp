// Placeholder bodies for the game world until it lands; each is removed as it is written.
#include "game/shell/my_app.h"

String c_MyApp::p_Uncrunch(const String&) { return String(); }
int c_MyApp::p_GetLevel(int) { return 0; }
int c_MyApp::p_LoadGame() { m_screen = kScreenPlaying; return 0; }
int c_MyApp::p_GetMatrix(int, int, int) { return 0; }
int c_MyApp::p_PutBlock(int, int, int, int, int, int) { return 0; }
int c_MyApp::p_Gimme(int, int, int) { return 0; }
int c_MyApp::p_CellIndex(int, int) const { return 0; }
int c_MyApp::p_Tile(int, int) const { return 0; }
bool c_MyApp::p_isDeath(int) { return false; }
bool c_MyApp::p_isFloor(int) { return false; }
bool c_MyApp::p_isLadder(int) { return false; }
bool c_MyApp::p_isGripable(int) { return false; }
bool c_MyApp::p_isGripableB(int) { return false; }
bool c_MyApp::p_isSolid(int) { return false; }
int c_MyApp::p_Player() { return 0; }
int c_MyApp::p_Background() { return 0; }
int c_MyApp::p_Objects() { return 0; }
int c_MyApp::p_Proximity(int, int) { return 0; }
int c_MyApp::p_AddSnow() { return 0; }
int c_MyApp::p_SkyDrift() { return 0; }
int c_MyApp::p_Backdrop() { return 0; }
int c_MyApp::p_Game() { return 0; }
int c_MyApp::p_InGame() { return 0; }
int c_MyApp::p_GameOver() { return 0; }
String c_MyApp::p_MyNth() { return String(); }
