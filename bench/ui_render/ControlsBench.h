#pragma once
// The plug-in's controls in the same run as the frame benchmark: the
// repaint of one knob and of one slider, the equaliser's recompute of one
// band with the sum, and its curve's draw beside the full frame.

// fullFrameMs: the same run's full frame of 300 controls.
void BenchPluginControls(double fullFrameMs);
