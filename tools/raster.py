"""Palette-indexed drawing for the art generators (make-avi, make-glyphs).

Shapes are sampled at pixel centres without anti-aliasing, so every pixel keeps one palette
index and the images stay exact in 16 or 256 colours.
"""
import math


class Canvas:
    def __init__(self, width, height, background):
        self.width, self.height = width, height
        self.pixels = [[background] * width for _ in range(height)]

    def get(self, x, y):
        return self.pixels[y][x]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def fill(self, inside, colour):
        """Paints every pixel whose centre satisfies inside(x, y)."""
        for y in range(self.height):
            for x in range(self.width):
                if inside(x + 0.5, y + 0.5):
                    self.pixels[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        """Fills the pixels x0..x1-1, y0..y1-1."""
        for y in range(max(y0, 0), min(y1, self.height)):
            for x in range(max(x0, 0), min(x1, self.width)):
                self.pixels[y][x] = colour

    def frame(self, x0, y0, x1, y1, colour):
        """A one-pixel outline of the rectangle that rect() would fill."""
        self.rect(x0, y0, x1, y0 + 1, colour)
        self.rect(x0, y1 - 1, x1, y1, colour)
        self.rect(x0, y0, x0 + 1, y1, colour)
        self.rect(x1 - 1, y0, x1, y1, colour)

    def polygon(self, points, colour):
        self.fill(lambda x, y: in_polygon(points, x, y), colour)

    def line(self, points, width, colour):
        """A polyline of the given stroke width with round joins."""
        r = width / 2
        segments = list(zip(points, points[1:]))
        self.fill(lambda x, y: any(segment_distance(a, b, x, y) <= r for a, b in segments), colour)

    def disc(self, cx, cy, r, colour):
        self.fill(lambda x, y: math.hypot(x - cx, y - cy) <= r, colour)

    def arc(self, cx, cy, r, width, start, end, colour):
        """A ring of the given stroke width from angle start to end (degrees, counter-clockwise
        from the positive x axis, y pointing down the screen); a span of 360 or more is a circle."""
        span = 360 if end - start >= 360 else (end - start) % 360

        def inside(x, y):
            if abs(math.hypot(x - cx, y - cy) - r) > width / 2:
                return False
            angle = math.degrees(math.atan2(cy - y, x - cx))
            return (angle - start) % 360 <= span
        self.fill(inside, colour)

    def blit(self, sprite, left, top, transparent):
        """Copies the sprite's pixels other than the transparent index."""
        for y in range(sprite.height):
            for x in range(sprite.width):
                c = sprite.pixels[y][x]
                if c != transparent:
                    self.put(left + x, top + y, c)


def in_polygon(points, x, y):
    inside = False
    for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]):
        if (y0 > y) != (y1 > y) and x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
            inside = not inside
    return inside


def segment_distance(a, b, x, y):
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0 if length2 == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
    return math.hypot(x - ax - t * dx, y - ay - t * dy)


def dib_rows(canvas):
    """The canvas rows bottom-up, as a device-independent bitmap stores them."""
    return list(reversed(canvas.pixels))
