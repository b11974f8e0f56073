#pragma once

// The client's images and report templates are compiled into its static
// library; this pulls them into whatever links the library.
void initClientResources();
