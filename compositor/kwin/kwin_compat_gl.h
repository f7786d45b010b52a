#pragma once

// KWin's OpenGL helpers as each version names them.

#include "kwin_compat.h"

#if QUORVEL_KWIN_AT_LEAST(6, 0)
#include <opengl/glframebuffer.h>
#include <opengl/glshader.h>
#include <opengl/glshadermanager.h>
#include <opengl/gltexture.h>
#include <opengl/glvertexbuffer.h>
#if QUORVEL_KWIN_AT_LEAST(6, 7)
#include <opengl/eglcontext.h>
#else
#include <opengl/openglcontext.h>
#endif
#else
#include <kwinglutils.h>
#endif

#include <QImage>
#include <QMatrix4x4>
#include <QRectF>
#include <QVector4D>
#include <array>
#include <memory>
#include <span>

namespace quorvel::kwin::compat::gl {

inline std::unique_ptr<KWin::GLTexture> allocate(GLenum format, const QSize& size) {
#if QUORVEL_KWIN_AT_LEAST(6, 0)
    return KWin::GLTexture::allocate(format, size);
#else
    return std::make_unique<KWin::GLTexture>(format, size);
#endif
}

inline std::unique_ptr<KWin::GLTexture> upload(const QImage& image) {
#if QUORVEL_KWIN_AT_LEAST(6, 0)
    return KWin::GLTexture::upload(image);
#else
    return std::make_unique<KWin::GLTexture>(image);
#endif
}

inline bool blitSupported() {
#if QUORVEL_KWIN_AT_LEAST(6, 7)
    return KWin::EglContext::currentContext()->supportsBlits();
#elif QUORVEL_KWIN_AT_LEAST(6, 0)
    return KWin::OpenGlContext::currentContext()->supportsBlits();
#else
    return KWin::GLFramebuffer::blitSupported();
#endif
}

inline void setProjection(KWin::GLShader* shader, const QMatrix4x4& matrix) {
#if QUORVEL_KWIN_AT_LEAST(6, 0)
    shader->setUniform(KWin::GLShader::Mat4Uniform::ModelViewProjectionMatrix, matrix);
#else
    shader->setUniform(KWin::GLShader::ModelViewProjectionMatrix, matrix);
#endif
}

inline void setModulation(KWin::GLShader* shader, float opacity) {
    const QVector4D all(opacity, opacity, opacity, opacity);
#if QUORVEL_KWIN_AT_LEAST(6, 0)
    shader->setUniform(KWin::GLShader::Vec4Uniform::ModulationConstant, all);
#else
    shader->setUniform(KWin::GLShader::ModulationConstant, all);
#endif
}

/// Draws `where` (vertex coordinates) textured with `from` (texture
/// coordinates) through the bound shader.
inline void drawQuad(const QRectF& where, const QRectF& from) {
    const float x0 = where.left(), y0 = where.top(), x1 = where.right(), y1 = where.bottom();
    const float s0 = from.left(), t0 = from.top(), s1 = from.right(), t1 = from.bottom();
    KWin::GLVertexBuffer* vbo = KWin::GLVertexBuffer::streamingBuffer();
    vbo->reset();
#if QUORVEL_KWIN_AT_LEAST(6, 0)
    const std::array<KWin::GLVertex2D, 6> vertices{{
        {QVector2D(x0, y0), QVector2D(s0, t0)},
        {QVector2D(x1, y0), QVector2D(s1, t0)},
        {QVector2D(x1, y1), QVector2D(s1, t1)},
        {QVector2D(x0, y0), QVector2D(s0, t0)},
        {QVector2D(x1, y1), QVector2D(s1, t1)},
        {QVector2D(x0, y1), QVector2D(s0, t1)},
    }};
    vbo->setVertices(vertices);
#else
    const float vertices[] = {x0, y0, x1, y0, x1, y1, x0, y0, x1, y1, x0, y1};
    const float coords[] = {s0, t0, s1, t0, s1, t1, s0, t0, s1, t1, s0, t1};
    vbo->setData(6, 2, vertices, coords);
#endif
    vbo->render(GL_TRIANGLES);
}

}  // namespace quorvel::kwin::compat::gl
