/* The stand-in's Menu Manager, as far as the full-screen display hides the menu bar. Whether the
   bar is shown is read back through <standin/display.h>. */
#ifndef CORVANE_STANDIN_MENUS_H
#define CORVANE_STANDIN_MENUS_H

#ifdef __cplusplus
extern "C" {
#endif

void HideMenuBar(void);
void ShowMenuBar(void);

#ifdef __cplusplus
}
#endif

#endif
