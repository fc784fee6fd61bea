#pragma once

#include "sketchdocument.h"

class QPainter;

namespace sketch {

// Draws the sketch in black onto a painter whose transformation maps sketch
// units to the device (moved and scaled as the caller wants).  Lines keep
// their width in units, but are never thinner than one device pixel, so the
// sketch stays crisp from a thumbnail to a printed page.  Walls and rooms
// come first; doors, windows and openings then clear their part of the wall.
void render(QPainter &painter, const Document &doc);
void renderElement(QPainter &painter, const Element &element);

} // namespace sketch
