// The log at the bottom of the main window. Every line starts with "@C1"
// (red: a failure or refusal) or "@C4" (blue: progress); the browser draws
// the colour and hides the prefix.
#pragma once

// Appends a line on the GUI thread, which already holds the toolkit lock.
void AppendLogLine(const char* line);

// Appends a line from a worker thread: one short locked section, then a
// wake-up so the event loop draws it.
void logMessage(const char* line);

// Makes logMessage where the window's jobs log (windowRun).
void InstallGuiLogSink();
