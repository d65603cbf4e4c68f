#include "tools/gauge/ImageFiles.h"

#include "common/CallNoThrow.h"
#include "common/UniqueHandle.h"
#include "pages/gauge/render/CRenderSurface.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstring>

using Microsoft::WRL::ComPtr;

RgbImage::RgbImage(int width, int height, COLORREF fill)
    : m_width(width), m_height(height), m_pixels(static_cast<size_t>(width) * height * 3) {
    for (size_t i = 0; i < m_pixels.size(); i += 3) {
        m_pixels[i] = GetBValue(fill);
        m_pixels[i + 1] = GetGValue(fill);
        m_pixels[i + 2] = GetRValue(fill);
    }
}

RgbImage RgbImage::FromPanelImage(const BYTE* bottomUp) {
    constexpr int kWidth = CRenderSurface::Width;
    constexpr int kHeight = CRenderSurface::Height;
    RgbImage image(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y)
        std::memcpy(image.Row(y), bottomUp + static_cast<size_t>(kHeight - 1 - y) * kWidth * 3,
                    static_cast<size_t>(kWidth) * 3);
    return image;
}

void RgbImage::Paste(const RgbImage& source, int x, int y) {
    const int left = std::max(x, 0);
    const int right = std::min(x + source.Width(), m_width);
    if (left >= right)
        return;
    const int top = std::max(y, 0);
    const int bottom = std::min(y + source.Height(), m_height);
    for (int row = top; row < bottom; ++row)
        std::memcpy(Row(row) + 3 * left, source.Row(row - y) + 3 * (left - x),
                    static_cast<size_t>(right - left) * 3);
}

HRESULT WritePng(const std::wstring& path, const RgbImage& image) noexcept {
    return CallNoThrow([&]() -> HRESULT {
        ComPtr<IWICImagingFactory> factory;
        HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_PPV_ARGS(&factory));
        ComPtr<IWICStream> stream;
        if (SUCCEEDED(hr))
            hr = factory->CreateStream(&stream);
        if (SUCCEEDED(hr))
            hr = stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE);
        ComPtr<IWICBitmapEncoder> encoder;
        if (SUCCEEDED(hr))
            hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder);
        if (SUCCEEDED(hr))
            hr = encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache);
        ComPtr<IWICBitmapFrameEncode> frame;
        if (SUCCEEDED(hr))
            hr = encoder->CreateNewFrame(&frame, nullptr);
        if (SUCCEEDED(hr))
            hr = frame->Initialize(nullptr);
        if (SUCCEEDED(hr))
            hr =
                frame->SetSize(static_cast<UINT>(image.Width()), static_cast<UINT>(image.Height()));
        WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
        if (SUCCEEDED(hr))
            hr = frame->SetPixelFormat(&format);
        // The encoder takes the format it was asked for or says which one it wants instead.
        if (SUCCEEDED(hr) && !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR))
            hr = WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
        if (SUCCEEDED(hr))
            hr = frame->WritePixels(static_cast<UINT>(image.Height()), image.Stride(),
                                    static_cast<UINT>(image.Pixels().size()),
                                    const_cast<BYTE*>(image.Pixels().data()));
        if (SUCCEEDED(hr))
            hr = frame->Commit();
        if (SUCCEEDED(hr))
            hr = encoder->Commit();
        return hr;
    });
}

HRESULT WritePanelBmp(const std::wstring& path, const BYTE* panelImage) noexcept {
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = CRenderSurface::Width;
    info.biHeight = CRenderSurface::Height; // bottom-up, as the panel's image
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = CRenderSurface::ImageBytes;
    info.biXPelsPerMeter = 3200;
    info.biYPelsPerMeter = 3200;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + CRenderSurface::ImageBytes;

    const UniqueFile output(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!output)
        return HRESULT_FROM_WIN32(GetLastError());
    const auto write = [&output](const void* data, DWORD size) {
        DWORD written = 0;
        return WriteFile(output.get(), data, size, &written, nullptr) && written == size;
    };
    if (!write(&file, sizeof(file)) || !write(&info, sizeof(info)) ||
        !write(panelImage, CRenderSurface::ImageBytes))
        return HRESULT_FROM_WIN32(GetLastError());
    return S_OK;
}
