"""A Pillow plugin for WSQ: `import ridgeview_wsq.pillow`, then

    >>> from PIL import Image
    >>> img = Image.open("print.wsq")          # mode "L"; img.info["dpi"] == (500, 500)
    >>> img.save("copy.wsq", bitrate=0.75, ppi=500)

Files are recognised by their first two bytes (the SOI marker FF A0) and by the extension
".wsq"; the MIME type is "image/x-wsq".

Save options: `bitrate` (bits per pixel, default 0.75), `ppi` (default: the first value of
the `dpi` option or of img.info["dpi"], else 500) and `comment` (default "", which gives the
same bytes as Ridgeview's viewer and `ridgeview-wsq encode`; None writes no comment). Images
of other modes are converted to "L" first. The whole file is encoded in memory before
anything is written, so a failed encode writes nothing; but Pillow opens, and so empties, a
file named to img.save() before the plugin runs. save_atomic(img, path, **options) replaces
a file whole instead: the old one stays until the new one is complete.

After opening, img.info also holds "nistcom" (the NIST_COM entries as a dict) and
"wsq_encoder" / "wsq_software" (the frame header's numbers).
"""

from __future__ import annotations

import io

from PIL import Image, ImageFile

from . import decode, encode, info, write_atomic

FORMAT = "WSQ"
MIME = "image/x-wsq"
EXTENSION = ".wsq"

_SOI = b"\xff\xa0"


def _accept(prefix: bytes) -> bool:
    return prefix[:2] == _SOI


class WsqImageFile(ImageFile.ImageFile):
    """A WSQ file opened through Pillow: 8-bit gray, decoded on load()."""

    format = FORMAT
    format_description = "Wavelet Scalar Quantization (fingerprint)"

    def _open(self) -> None:
        if self.fp.read(2) != _SOI:
            raise SyntaxError("not a WSQ file")
        self.fp.seek(0)
        # The header reader needs the file's bytes in memory; WSQ files are small.
        header = info(self.fp.read())
        self.mode = "L"
        self._size = (header.width, header.height)
        if header.ppi is not None:
            self.info["dpi"] = (header.ppi, header.ppi)
        self.info["nistcom"] = dict(header.nistcom)
        self.info["wsq_encoder"] = header.encoder
        self.info["wsq_software"] = header.software
        self.tile = [(FORMAT, (0, 0) + self.size, 0, None)]


class WsqDecoder(ImageFile.PyDecoder):
    """Decodes the whole file at once: the codec works on a complete file in memory."""

    _pulls_fd = True

    def decode(self, buffer):
        # The codec's own threads: one image, all of the process's cores.
        result = decode(self.fd.read(), threads=0)
        self.set_as_raw(result.pixels.tobytes(), "L")
        return -1, 0


def _save(im: Image.Image, fp, filename) -> None:
    options = im.encoderinfo
    if im.mode != "L":
        im = im.convert("L")
    dpi = options.get("dpi", im.info.get("dpi"))
    ppi = options.get("ppi")
    if ppi is None:
        ppi = round(float(dpi[0])) if dpi else 500
    data = encode(
        _pixels(im),
        bitrate=options.get("bitrate", 0.75),
        ppi=ppi,
        comment=options.get("comment", ""),
    )
    fp.write(data)


def _pixels(im: Image.Image):
    import numpy as np

    im.load()
    return np.frombuffer(im.tobytes(), dtype=np.uint8).reshape(im.height, im.width)


def save_atomic(im: Image.Image, path, **options) -> None:
    """Saves `im` as WSQ to `path` (same options as img.save) through a temporary file in the
    same folder that is renamed over `path` once complete."""
    out = io.BytesIO()
    im.save(out, format=FORMAT, **options)
    write_atomic(path, out.getvalue())


Image.register_open(FORMAT, WsqImageFile, _accept)
Image.register_save(FORMAT, _save)
Image.register_extension(FORMAT, EXTENSION)
Image.register_mime(FORMAT, MIME)
Image.register_decoder(FORMAT, WsqDecoder)
