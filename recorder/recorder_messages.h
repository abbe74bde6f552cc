#pragma once
// Window messages of the recorder.

#include "platform/messages.h"

// To the host: the user left the recorder (wParam 1, lParam 0). WM_USER + 300.
inline constexpr unsigned WM_TASKLIST = 1324;
// From the encoder object and the recording worker, wParam the event code. WM_USER + 1000.
inline constexpr unsigned WM_RECORDER_ENCODER = 2024;
// From the FTP transfer, lParam the percentage done. WM_USER + 1100.
inline constexpr unsigned WM_RECORDER_FTP_PROGRESS = 2124;

// The recording worker's requests to the dialog, which alone touches widgets.
// wParam 1: disable the show page's clear button and the two device combos; 0: enable them.
inline constexpr unsigned WM_RECORDER_LOCK_CONTROLS = platform::WM_USER + 1210;
// Enable the exit button.
inline constexpr unsigned WM_RECORDER_ENABLE_EXIT = platform::WM_USER + 1211;
