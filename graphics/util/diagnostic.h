// The graphics library's diagnostic hook: routines name a condition worth
// knowing about by a short tag ("MEMALLOC" when a heap block could not be had).
// Nothing is shown or logged unless an observer is installed (a test, a
// debugging session).
#pragma once

using DiagnosticObserver = void (*)(const char* tag);

void ReportDiagnostic(const char* tag);
// Installs the observer (nullptr: none) and answers the previous one.
DiagnosticObserver SetDiagnosticObserver(DiagnosticObserver observer);
