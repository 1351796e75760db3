"""The one exception type of ridgeview_wsq."""

from __future__ import annotations

# Why an allocation of a failed call was refused (WsqError.refusal).
REFUSAL_NONE = 0
REFUSAL_BUDGET = 1
REFUSAL_OUT_OF_MEMORY = 2


class WsqError(OSError):
    """A failure of the WSQ codec.

    Attributes:
        code: the codec's negative code (the same number the C API returns).
        name: the code's name, e.g. "WSQ_NO_SOI"; names joined by " | " where one value
            stands for several failures.
        message: everything the codec wrote on the way, in order, each line ending in a line
            end: warnings first, the failure's own message last ("" for the few failures
            that have none). `line` is its last line.
        refusal: REFUSAL_NONE, or why an allocation was refused (REFUSAL_BUDGET when the image
            needs more than the memory budget, REFUSAL_OUT_OF_MEMORY).

    It is an OSError, as Pillow's own errors about damaged files are.
    """

    def __init__(self, code: int, message: str, name: str = "", refusal: int = REFUSAL_NONE):
        self.code = int(code)
        self.message = str(message)
        self.name = str(name)
        self.refusal = int(refusal)
        super().__init__(self._text())

    @property
    def line(self) -> str:
        """The failure's own line: the message's last line, without its line end. (Warnings
        the codec wrote on the way come before it.)"""
        lines = [line for line in self.message.splitlines() if line.strip()]
        return lines[-1].strip() if lines else ""

    def _text(self) -> str:
        line = self.line
        what = f"{self.name} ({self.code})" if self.name else f"code {self.code}"
        return f"{line} [{what}]" if line else f"WSQ codec failure {what}"

    def __str__(self) -> str:
        return self._text()

    def __reduce__(self):
        # Rebuilt from its fields, so that it crosses process boundaries (multiprocessing,
        # dask) intact.
        return (type(self), (self.code, self.message, self.name, self.refusal))
