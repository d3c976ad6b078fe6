// Enters the image library's components in the class registry and property
// tables, so form files can name them. The program calls it once at start-up,
// before its first form is read.
#pragma once

void RegisterImagingClasses();
