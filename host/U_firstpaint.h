// For the start-up benchmark: with VELKO_FIRST_PAINT=report in the
// environment the host writes how long after its start the control's widget
// was first painted, then ends.
#pragma once

class QWidget;

// Call once, first thing in main().
void StartFirstPaintClock();
// Watches `widget` when the environment asks for it.
void ReportFirstPaintOf(QWidget* widget);
