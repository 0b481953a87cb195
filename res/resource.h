/* Identifiers shared by the resource script and the front end. */
#ifndef CORVANE_RES_RESOURCE_H
#define CORVANE_RES_RESOURCE_H

/* Menu resource */
#define IDR_MAIN_MENU       1000

/* DIALOG_0: the main window */
#define IDC_INPUT_GROUP     0
#define IDC_OUTPUT_GROUP    1
#define IDC_ENCRYPT         2
#define IDC_DECRYPT         3
#define IDC_STATUSBAR       4
#define IDC_INPUT           5
#define IDC_OUTPUT          6
/* Invisible labels added at run time, each just before its field, which
   screen readers name the field by */
#define IDC_INPUT_LABEL     7
#define IDC_OUTPUT_LABEL    8

/* DIALOG_1: the key entry dialog (its OK button is the platform's IDOK) */
#define IDC_KEY             0
#define IDC_KEY_HINT        2
#define IDC_KEY_LABEL       3

/* Menu commands: the hundreds digit is the menu's position */
#define IDM_ENCRYPT         101
#define IDM_DECRYPT         102
#define IDM_CLEAR           103
#define IDM_EXIT            104
#define IDM_DEFAULT_KEY     201
#define IDM_INPUT_KEY       202
#define IDM_ABOUT           300

/* The contact address shown in the status bar and the about box */
#define CORVANE_CONTACT     "contact@corvane.example"

#endif
