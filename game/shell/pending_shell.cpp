// Placeholder bodies for the tutorial, ending, credits, save data and
// highscores until they land; each is removed as it is written.
#include "game/shell/my_app.h"

int c_MyApp::p_TutorialStuff() { return 0; }
int c_MyApp::p_XmasGameOver() { return 0; }
int c_MyApp::p_CreditBox() { return 0; }
int c_MyApp::p_Save() { return 0; }
int c_MyApp::p_Load() { return 0; }
int c_MyApp::p_LoadMenu() { return 0; }
String c_MyApp::p_BadgeID(int) { return String(); }
String c_MyApp::p_BadgeName(int) { return String(); }
String c_MyApp::p_BadgeDetail(int) { return String(); }
int c_MyApp::p_GC_PostScore(int, int) { return 0; }
int c_MyApp::p_GC_Badges() { return 0; }
