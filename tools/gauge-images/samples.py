def draw_all():
    return {}


def frames(images):
    return {}
