#!/usr/bin/env python3
"""Writes the small fixture files under tests/data: PNG images for the texture loader, shader
sources for the program builder, and a complete small asset set (assets/) that the real executable
plays end to end. The files are committed; run this only to change them (ffmpeg makes the MP3)."""
import math
import os
import struct
import subprocess
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png_bytes(width, height, rows, color_type=6, depth=8, extra=b""):
    """rows: list of bytes objects, one per row (top first), already in the target layout."""
    raw = b"".join(b"\x00" + r for r in rows)
    ihdr = struct.pack(">IIBBBBB", width, height, depth, color_type, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + extra +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def rgba_png(width, height, pixel):
    rows = [bytes(c for x in range(width) for c in pixel(x, y)) for y in range(height)]
    return png_bytes(width, height, rows)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def png_fixtures():
    overlay_fixture()
    d = os.path.join(HERE, "png")
    # Three rows of two pixels, each different, so that orientation and channel order both show.
    grid = [[(255, 0, 0, 255), (0, 255, 0, 255)],
            [(0, 0, 255, 128), (255, 255, 0, 0)],
            [(10, 20, 30, 255), (40, 50, 60, 200)]]
    good = rgba_png(2, 3, lambda x, y: grid[y][x])
    write(os.path.join(d, "grid_2x3.png"), good)
    # Grey 8-bit with a tRNS chunk making grey 0 transparent: decoded to RGBA with alpha applied.
    write(os.path.join(d, "grey_trns.png"),
          png_bytes(2, 1, [bytes([0, 200])], color_type=0, extra=chunk(b"tRNS", struct.pack(">H", 0))))
    # Palette image: index 0 red and half transparent, index 1 blue.
    write(os.path.join(d, "palette.png"),
          png_bytes(2, 1, [bytes([0, 1])], color_type=3,
                    extra=chunk(b"PLTE", bytes([255, 0, 0, 0, 0, 255])) + chunk(b"tRNS", bytes([128]))))
    # 16-bit RGB: narrowed to 8 bits per channel, alpha opaque.
    write(os.path.join(d, "rgb16.png"),
          png_bytes(1, 1, [struct.pack(">HHH", 0xFFFF, 0x8080, 0x0000)], color_type=2, depth=16))
    write(os.path.join(d, "truncated.png"), good[: len(good) // 2])
    corrupt = bytearray(good)
    corrupt[good.index(b"IDAT") + 6] ^= 0xFF  # inside the compressed data: the CRC no longer holds
    write(os.path.join(d, "bad_crc.png"), bytes(corrupt))
    write(os.path.join(d, "not_a_png.png"), b"GIF89a this is not a PNG file at all\n")
    write(os.path.join(d, "empty.png"), b"")
    # A header that claims 60000 x 60000 pixels over a few bytes of data.
    write(os.path.join(d, "huge_header.png"),
          b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 60000, 60000, 8, 6, 0, 0, 0)) +
          chunk(b"IDAT", zlib.compress(b"\x00" * 64)) + chunk(b"IEND", b""))


def overlay_fixture():
    """An overlay image that is clear almost everywhere: a band just inside the visible left edge;
    an opaque block, whose coarser mip levels spread it over its neighbours; a faint patch (alpha 30, just above the overlay's alpha test); one
    texel of alpha 1, which the test drops."""
    def pixel(x, y):
        if 10 <= x < 14 and 24 <= y < 104:
            return (255, 220, 40, 255)
        if 100 <= x < 116 and 56 <= y < 72:
            return (40, 200, 255, 255)
        if 170 <= x < 200 and 20 <= y < 30:
            return (255, 255, 255, 30)
        if (x, y) == (60, 100):
            return (255, 0, 0, 1)
        return (0, 0, 0, 0)
    write(os.path.join(HERE, "png", "sparse_overlay.png"), rgba_png(256, 128, pixel))


VERTEX_SHADER = """#version 120
// Passes what the fragment stage needs for a normal-mapped, eye-lit surface.
varying vec2 texCoord;
varying vec3 eyeNormal;
varying vec3 eyePosition;

void main() {
    texCoord = gl_MultiTexCoord0.xy;
    eyeNormal = gl_NormalMatrix * gl_Normal;
    eyePosition = (gl_ModelViewMatrix * gl_Vertex).xyz;
    gl_Position = ftransform();
}
"""

FRAGMENT_SHADER = """#version 120
// Colour map on unit 0, normal map on unit 1, lit by a light at the eye.
uniform sampler2D colorMap;
uniform sampler2D normalMap;
uniform float axa;
varying vec2 texCoord;
varying vec3 eyeNormal;
varying vec3 eyePosition;

void main() {
    vec3 bump = texture2D(normalMap, texCoord).xyz * 2.0 - 1.0;
    vec3 n = normalize(normalize(eyeNormal) + 0.7 * vec3(bump.xy, 0.0));
    vec3 toEye = normalize(-eyePosition);
    float diffuse = max(dot(n, toEye), 0.0);
    float shine = pow(max(dot(reflect(-toEye, n), toEye), 0.0), 24.0);
    vec3 colour = texture2D(colorMap, texCoord).rgb * (0.3 + 0.7 * diffuse) + 0.35 * shine + axa;
    gl_FragColor = vec4(colour, 1.0);
}
"""


def shader_fixtures():
    d = os.path.join(HERE, "shaders")
    write(os.path.join(d, "good", "vertexshader_offset.glsl"), VERTEX_SHADER.encode())
    write(os.path.join(d, "good", "fragmentshader_offset.glsl"), FRAGMENT_SHADER.encode())
    write(os.path.join(d, "missing_vertex", "fragmentshader_offset.glsl"), FRAGMENT_SHADER.encode())
    write(os.path.join(d, "missing_fragment", "vertexshader_offset.glsl"), VERTEX_SHADER.encode())
    # A compile error whose log quotes the "%" that caused it, and carriage returns that must
    # reach the compiler as they are.
    write(os.path.join(d, "percent", "vertexshader_offset.glsl"), VERTEX_SHADER.replace("\n", "\r\n").encode())
    write(os.path.join(d, "percent", "fragmentshader_offset.glsl"),
          b"#version 120\nvoid main() {\n    gl_FragColor = vec4(1.0) % 2;\n}\n")
    write(os.path.join(d, "empty", "vertexshader_offset.glsl"), b"")
    write(os.path.join(d, "empty", "fragmentshader_offset.glsl"), FRAGMENT_SHADER.encode())
    # Flat red without lighting, for tests that find a model by its colour.
    write(os.path.join(d, "solid", "vertexshader_offset.glsl"),
          b"#version 120\nvoid main() { gl_Position = ftransform(); }\n")
    write(os.path.join(d, "solid", "fragmentshader_offset.glsl"),
          b"#version 120\nvoid main() { gl_FragColor = vec4(1.0, 0.0, 0.0, 1.0); }\n")
    # The sum of what units 0 and 1 hold, unlit, for tests that tell bindings apart by colour.
    write(os.path.join(d, "probe", "vertexshader_offset.glsl"),
          b"#version 120\nvoid main() { gl_Position = ftransform(); }\n")
    write(os.path.join(d, "probe", "fragmentshader_offset.glsl"),
          b"#version 120\nuniform sampler2D colorMap;\nuniform sampler2D normalMap;\n"
          b"void main() {\n    vec2 middle = vec2(0.5, 0.5);\n"
          b"    gl_FragColor = vec4(texture2D(colorMap, middle).rgb + texture2D(normalMap, middle).rgb, 1.0);\n}\n")


# --- the asset set -------------------------------------------------------------------------------

class Mesh:
    def __init__(self):
        self.v, self.vt, self.vn, self.faces = [], [], [], []

    def quad(self, corners, normal, uv_scale=(1.0, 1.0)):
        """corners counter-clockwise as seen from the side the normal points to."""
        base_v = len(self.v)
        self.v.extend(corners)
        su, sv = uv_scale
        base_t = len(self.vt)
        self.vt.extend([(0, 0), (su, 0), (su, sv), (0, sv)])
        self.vn.append(normal)
        n = len(self.vn)
        self.faces.append([(base_v + i + 1, base_t + i + 1, n) for i in range(4)])

    def box(self, cx, cy, cz, hx, hy, hz, inward=False, uv=(1.0, 1.0)):
        x0, x1, y0, y1, z0, z1 = cx - hx, cx + hx, cy - hy, cy + hy, cz - hz, cz + hz
        sides = [
            ([(x0, y0, z1), (x1, y0, z1), (x1, y1, z1), (x0, y1, z1)], (0, 0, 1)),
            ([(x1, y0, z0), (x0, y0, z0), (x0, y1, z0), (x1, y1, z0)], (0, 0, -1)),
            ([(x1, y0, z1), (x1, y0, z0), (x1, y1, z0), (x1, y1, z1)], (1, 0, 0)),
            ([(x0, y0, z0), (x0, y0, z1), (x0, y1, z1), (x0, y1, z0)], (-1, 0, 0)),
            ([(x0, y1, z1), (x1, y1, z1), (x1, y1, z0), (x0, y1, z0)], (0, 1, 0)),
            ([(x0, y0, z0), (x1, y0, z0), (x1, y0, z1), (x0, y0, z1)], (0, -1, 0)),
        ]
        for corners, normal in sides:
            if inward:
                corners = list(reversed(corners))
                normal = tuple(-c for c in normal)
            self.quad(corners, normal, uv)

    def obj_text(self, mtl, material):
        out = ["# fixture model", "mtllib " + mtl, "o fixture"]
        out += ["v %.3f %.3f %.3f" % p for p in self.v]
        out += ["vt %.3f %.3f" % t for t in self.vt]
        out += ["vn %.3f %.3f %.3f" % n for n in self.vn]
        out.append("usemtl " + material)
        out += ["f " + " ".join("%d/%d/%d" % c for c in f) for f in self.faces]
        return "\n".join(out) + "\n"


def mtl_text(name, diffuse):
    return ("# fixture material\nnewmtl %s\nKa 0.2 0.2 0.2\nKd %.2f %.2f %.2f\nKs 0.5 0.5 0.5\n"
            "Ns 64\nd 1.0\n" % ((name,) + diffuse))


def scene_models():
    models = {}
    gem = Mesh()  # scene one: one box turning 400 units ahead
    gem.box(0, 0, 0, 90, 90, 90)
    gem.box(0, 0, 0, 40, 140, 40)
    models["5"] = gem
    floor = Mesh()  # scene two: a tiled floor 140 units below the eye, stretching far ahead
    floor.quad([(-3000, 0, -50), (3000, 0, -50), (3000, 0, -3000), (-3000, 0, -3000)], (0, 1, 0), (20, 10))
    models["3"] = floor
    pillars = Mesh()
    for i in range(-4, 12):
        pillars.box(i * 220, 110, -420 - 180 * (i % 3), 35, 110, 35, uv=(1, 3))
    models["3c"] = pillars
    tunnel = Mesh()  # scene three: a tunnel that comes towards the eye
    tunnel.box(0, 0, -1700, 160, 120, 1500, inward=True, uv=(2, 20))
    models["4"] = tunnel
    blocks = Mesh()
    for i in range(10):
        blocks.box(-90 + 180 * (i % 2), -60 + 40 * (i % 3), -400 - 260 * i, 30, 30, 30)
    models["4b"] = blocks
    ground = Mesh()  # scene four: ground, a tower and a swaying block
    ground.quad([(-1500, -150, 400), (1500, -150, 400), (1500, -150, -1500), (-1500, -150, -1500)],
                (0, 1, 0), (12, 8))
    models["2"] = ground
    tower = Mesh()
    tower.box(-230, 20, -80, 60, 170, 60, uv=(1, 3))
    tower.box(230, -60, -200, 50, 90, 50, uv=(1, 2))
    models["2b"] = tower
    swing = Mesh()
    swing.box(0, 10, 0, 70, 70, 70)
    models["2c"] = swing
    return models


def asset_textures(d):
    def checker(x, y):
        c = ((x // 8) + (y // 8)) % 2
        return (230, 150, 60, 255) if c else (120, 60, 40, 255)

    def bumps(x, y):
        nx = math.sin(x / 64 * 4 * math.pi) * 0.5
        ny = math.sin(y / 64 * 4 * math.pi) * 0.5
        nz = math.sqrt(max(0.0, 1 - nx * nx - ny * ny))
        return (int(127.5 + 127 * nx), int(127.5 + 127 * ny), int(127.5 + 127 * nz), 255)

    def stripes(x, y):
        t = (x + y) % 16 < 8
        return (250, 170, 40, 255) if t else (200, 90, 20, 255)

    def grid(x, y):
        edge = x % 16 == 0 or y % 16 == 0
        return (30, 60, 160, 255) if edge else (110, 170, 230, 255)

    def flat_normal(x, y):
        wobble = int(10 * math.sin((x * 7 + y * 13) / 5.0))
        return (128 + wobble, 128 - wobble, 250, 255)

    def overlay(x, y):
        # A title band along the top (well below the quarter that the view crops), clear below.
        if y < 22:
            dots = (x // 4 + y // 4) % 2 == 0 and 6 <= y <= 15 and 8 <= x < 120
            return (250, 250, 250, 255) if dots else (20, 30, 90, 255)
        if 44 <= y < 48:
            return (0, 0, 0, 20)  # below the overlay's alpha reference: never drawn
        if y >= 58:
            return (20, 30, 90, 200)  # a translucent strip at the bottom edge, mostly cropped
        return (0, 0, 0, 0)

    for name, fn, w, h in [("1.PNG", checker, 64, 64), ("1n.PNG", bumps, 64, 64),
                           ("peitto.PNG", overlay, 128, 64), ("or.PNG", stripes, 64, 64),
                           ("hr.PNG", grid, 64, 64), ("n.PNG", flat_normal, 64, 64)]:
        write(os.path.join(d, name), rgba_png(w, h, fn))


def asset_set():
    d = os.path.join(HERE, "assets")
    asset_textures(d)
    colours = {"2": (0.8, 0.8, 0.7), "2b": (0.6, 0.7, 0.9), "2c": (1.0, 0.8, 0.5), "3": (0.9, 0.8, 0.7),
               "3c": (0.9, 0.6, 0.4), "4": (0.7, 0.7, 0.8), "4b": (1.0, 0.7, 0.3), "5": (1.0, 0.9, 0.8)}
    for name, mesh in scene_models().items():
        material = "m" + name
        write(os.path.join(d, name + ".OBJ"), mesh.obj_text(name + ".mtl", material).encode())
        write(os.path.join(d, name + ".mtl"), mtl_text(material, colours[name]).encode())
    write(os.path.join(d, "vertexshader_offset.glsl"), VERTEX_SHADER.encode())
    write(os.path.join(d, "fragmentshader_offset.glsl"), FRAGMENT_SHADER.encode())
    mp3 = os.path.join(d, "ms.mp3")
    if not os.path.exists(mp3):
        subprocess.run(["ffmpeg", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                        "aevalsrc=0.3*sin(2*PI*220*t)*(1+sin(2*PI*0.5*t))/2+0.2*sin(2*PI*330*t)"
                        "|0.3*sin(2*PI*277*t)+0.2*sin(2*PI*440*t)*lt(t\\,3):s=44100:d=6",
                        "-ac", "2", "-codec:a", "libmp3lame", "-b:a", "64k", mp3], check=True)


if __name__ == "__main__":
    png_fixtures()
    shader_fixtures()
    asset_set()
