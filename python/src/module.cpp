// _ridgeview_wsq: the compiled half of the ridgeview_wsq package, a thin layer over the C API
// of libridgeview-wsq. It converts buffers and results and releases the GIL while the codec
// runs; argument checking beyond what C++ needs, and the result types, live in Python.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <ridgeview/wsq.h>

#include <climits>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

namespace py = pybind11;

namespace {

// A read-only, contiguous view of a bytes-like object. While the view is held the exporter
// can neither free nor resize the memory, so the codec may read it without the GIL.
class ReadView {
 public:
  explicit ReadView(py::handle object) {
    if (PyObject_GetBuffer(object.ptr(), &view_, PyBUF_SIMPLE) != 0) {
      throw py::error_already_set();
    }
  }
  ~ReadView() { PyBuffer_Release(&view_); }
  ReadView(const ReadView&) = delete;
  ReadView& operator=(const ReadView&) = delete;

  const unsigned char* data() const { return static_cast<const unsigned char*>(view_.buf); }
  std::size_t size() const { return static_cast<std::size_t>(view_.len); }

 private:
  Py_buffer view_{};
};

// Text from the library: names and values as UTF-8, bytes that are not UTF-8 kept as
// surrogates so that nothing is lost.
py::str library_text(const char* text) {
  if (text == nullptr) return py::str("");
  PyObject* s = PyUnicode_DecodeUTF8(text, static_cast<Py_ssize_t>(std::strlen(text)),
                                     "surrogateescape");
  if (s == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(s);
}

// Raises ridgeview_wsq.WsqError for a failed call. The exception type is defined in Python
// (pickling, documentation), so it is looked up at the time of the first failure.
[[noreturn]] void raise_codec_error(int code, const ridgeview_wsq_error& error) {
  py::object type = py::module_::import("ridgeview_wsq._errors").attr("WsqError");
  py::object instance = type(code, library_text(error.message),
                             py::str(ridgeview_wsq_code_name(code)), error.refusal);
  PyErr_SetObject(type.ptr(), instance.ptr());
  throw py::error_already_set();
}

struct FreeWithLibrary {
  void operator()(void* memory) const { ridgeview_wsq_free(memory); }
};

struct InfoGuard {
  ridgeview_wsq_info info{};
  bool filled = false;
  ~InfoGuard() {
    if (filled) ridgeview_wsq_info_free(&info);
  }
};

py::list nistcom_entries(const ridgeview_wsq_info& info) {
  py::list entries;
  for (std::size_t i = 0; i < info.nistcom_count; ++i) {
    entries.append(py::make_tuple(library_text(info.nistcom[i].name),
                                  library_text(info.nistcom[i].value)));
  }
  return entries;
}

py::list segment_list(const ridgeview_wsq_info& info) {
  py::list segments;
  for (std::size_t i = 0; i < info.segment_count; ++i) {
    const ridgeview_wsq_segment& s = info.segments[i];
    segments.append(py::make_tuple(s.marker, s.offset, s.length));
  }
  return segments;
}

// (pixels, ppi, lossy, nistcom entries, warnings). The pixel array owns the library's buffer
// and gives it back with ridgeview_wsq_free() when the array goes away: no copy is made.
py::tuple decode(py::handle data, int threads) {
  ReadView in(data);
  ridgeview_wsq_image image{};
  ridgeview_wsq_error error{};
  InfoGuard header;
  ridgeview_wsq_error header_error{};
  int ret = 0;
  int header_ret = 0;
  {
    py::gil_scoped_release released;
    ret = ridgeview_wsq_decode(in.data(), in.size(), threads, &image, &error);
    if (ret == 0) {
      header_ret = ridgeview_wsq_read_info(in.data(), in.size(), &header.info, &header_error);
      header.filled = header_ret == 0;
    }
  }
  if (ret != 0) raise_codec_error(ret, error);
  std::unique_ptr<unsigned char, FreeWithLibrary> pixels(image.pixels);
  if (header_ret != 0) raise_codec_error(header_ret, header_error);

  const py::ssize_t height = image.height;
  const py::ssize_t width = image.width;
  py::capsule owner(pixels.get(), [](void* memory) { ridgeview_wsq_free(memory); });
  unsigned char* raw = pixels.release();  // the capsule owns it from here on
  py::array_t<std::uint8_t> array({height, width}, {width, py::ssize_t{1}}, raw, owner);
  return py::make_tuple(array, image.ppi, image.lossy != 0, nistcom_entries(header.info),
                        library_text(error.message));
}

// (width, height, depth, ppi, lossy, encoder, software, nistcom entries, segments).
py::tuple read_info(py::handle data) {
  ReadView in(data);
  InfoGuard header;
  ridgeview_wsq_error error{};
  int ret = 0;
  {
    py::gil_scoped_release released;
    ret = ridgeview_wsq_read_info(in.data(), in.size(), &header.info, &error);
    header.filled = ret == 0;
  }
  if (ret != 0) raise_codec_error(ret, error);
  const ridgeview_wsq_info& i = header.info;
  return py::make_tuple(i.width, i.height, i.depth, i.ppi, i.lossy != 0, i.encoder, i.software,
                        nistcom_entries(i), segment_list(i));
}

// Encodes a C-contiguous 2-D array of bytes. `comment` is passed as it is (None: no comment).
py::bytes encode(py::buffer pixels, float bitrate, int ppi, std::optional<std::string> comment,
                 int threads) {
  py::buffer_info b = pixels.request();
  // The stride of a dimension of size 1 is never used, and NumPy may leave any value there.
  if (b.ndim != 2 || b.itemsize != 1 || (b.shape[1] > 1 && b.strides[1] != 1) ||
      (b.shape[0] > 1 && b.strides[0] != b.shape[1])) {
    throw py::value_error("pixels must be a C-contiguous 2-D array of bytes");
  }
  if (b.shape[0] > INT_MAX || b.shape[1] > INT_MAX) {
    throw py::value_error("the image is too large for the codec");
  }
  if (comment && comment->find('\0') != std::string::npos) {
    throw py::value_error("the comment must not contain a NUL character");
  }
  const int height = static_cast<int>(b.shape[0]);
  const int width = static_cast<int>(b.shape[1]);
  // A 0-row or 0-column array has no pixel to point at; the codec reports the size.
  static const unsigned char no_pixels = 0;
  const unsigned char* in =
      b.size > 0 ? static_cast<const unsigned char*>(b.ptr) : &no_pixels;
  const char* text = comment ? comment->c_str() : nullptr;
  unsigned char* out = nullptr;
  std::size_t size = 0;
  ridgeview_wsq_error error{};
  int ret = 0;
  {
    py::gil_scoped_release released;
    ret = ridgeview_wsq_encode(in, width, height, bitrate, ppi, text, threads, &out, &size,
                               &error);
  }
  if (ret != 0) raise_codec_error(ret, error);
  std::unique_ptr<unsigned char, FreeWithLibrary> owned(out);
  return py::bytes(reinterpret_cast<const char*>(owned.get()), size);
}

}  // namespace

PYBIND11_MODULE(_ridgeview_wsq, m) {
  m.doc() = "Bindings of libridgeview-wsq; use the ridgeview_wsq package instead.";
  m.def("decode", &decode, py::arg("data"), py::arg("threads"));
  m.def("read_info", &read_info, py::arg("data"));
  m.def("encode", &encode, py::arg("pixels"), py::arg("bitrate"), py::arg("ppi"),
        py::arg("comment").none(true), py::arg("threads"));
  m.def("code_name", [](int code) { return std::string(ridgeview_wsq_code_name(code)); },
        py::arg("code"));
  m.def("code_message", [](int code) { return std::string(ridgeview_wsq_code_message(code)); },
        py::arg("code"));
  m.def("library_version", [] { return std::string(ridgeview_wsq_version()); });
  m.def("memory_budget", [] { return ridgeview_wsq_memory_budget(); });
  m.def("set_memory_budget", [](std::size_t bytes) { ridgeview_wsq_set_memory_budget(bytes); },
        py::arg("bytes"));
  m.def("release_cached_memory", [] {
    py::gil_scoped_release released;
    ridgeview_wsq_release_cached_memory();
  });
  m.attr("header_version") = RIDGEVIEW_WSQ_VERSION_STRING;
}
